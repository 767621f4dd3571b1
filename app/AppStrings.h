#pragma once
// String-table identifiers of the updater's texts (texts in resources/Strings.rc).
// Plain #defines: the resource compiler reads this file too.

#define SUnexpectedError      65312
#define SReadOnlyFile         65313
#define SUpdateSucceeded      65314
#define SUpdateFailed         65315
#define SInstallKey           65338
#define SInstalledExeName     65339
#define SDefaultSubFolder     65340
#define SAlreadyCurrent       65341
#define SCannotUpdate         65343
#define SCannotOpenFolder     65344
