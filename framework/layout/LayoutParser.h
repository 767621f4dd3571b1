#pragma once
// The layout text (see Layout.h) split into blocks of properties with typed values.
#include "framework/core/Exception.h"

#include <initializer_list>
#include <string>
#include <vector>

struct TLayoutValue {
    enum class Type { Integer, Text, Word, List };
    Type type = Type::Integer;
    long number = 0;
    std::string text;                // Text and Word
    std::vector<TLayoutValue> items; // List
};

struct TLayoutProperty {
    std::string name;
    TLayoutValue value;
    int line = 0;
};

struct TLayoutBlock {
    std::string kind;   // "form" for the first block
    std::string name;
    int line = 0;
    std::vector<TLayoutProperty> properties;
};

// Splits a layout text into blocks; raises ELayoutError naming layoutName and the line.
std::vector<TLayoutBlock> ParseLayout(const std::string& text, const std::string& layoutName);
// Raises ELayoutError: the message stringId with args, inside the one that names layoutName.
[[noreturn]] void LayoutFailure(const std::string& layoutName, unsigned stringId,
                                std::initializer_list<std::string> args);

