#pragma once
// Dates and times: a TDateTime counts days since 1899-12-30 (the fraction is the time of day),
// and the text conversion follows the user's locale (short-date order, date and time
// separators, AM/PM designators), read at each conversion.
#include <windows.h>

#include <string>

using TDateTime = double;

// False when the parts are out of range (year 1-9999, real month and day, time below 24:00).
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);
// Raise EConvertError when out of range.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);

void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
SYSTEMTIME DateTimeToSystemTime(TDateTime value);

// The text as a date and optionally a time after it, under the user's locale. Raises
// EConvertError "'%s' は日付または時刻ではありません" when it is not one.
TDateTime StrToDateTime(const std::string& text);
bool TryStrToDateTime(const std::string& text, TDateTime& result);
// The same scan in the fixed order year/month/day with "/" and ":", whatever the user's locale:
// for texts the program carries itself, not typed by the user.
TDateTime StrToDateTimeYMD(const std::string& text);
