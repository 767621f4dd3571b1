#pragma once
// String-table identifiers of the toolkit's own messages (texts in resources/Strings.rc).
// Plain #defines: the resource compiler reads this file too.

#define SReadError            65420
#define SWriteError           65421
#define SFCreateError         65422
#define SMemoryStreamError    65423
#define SInvalidDateTime      65424
#define SCannotAssign         65425
#define SRegistryError        65426
#define SOutOfResources       65427
#define SInvalidLayout        65428
#define SUnknownFileExtension 65429
#define SFOpenError           65430
#define SNoCanvasHandle       65431
#define SScanLine             65432
#define SInvalidImage         65433
#define SInvalidPixelFormat   65434
#define SInvalidIcon          65435
#define SInvalidMetafile      65436
#define SChangeIconSize       65437
#define SUnsupportedClipboard 65439
#define SResNotFound          65450
