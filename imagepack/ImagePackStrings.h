#pragma once
// String-table identifiers of the picture library's texts (texts in resources/Strings.rc).
// Plain #defines: the resource compiler reads this file too.

#define SCannotSetImageRect   65331
#define SCannotSetCount       65332
