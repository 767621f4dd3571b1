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
#define SCannotCreateDIBSection 65438
#define SUnsupportedClipboard 65439
#define SResNotFound          65450
#define SJPEGError            65440
#define SChangeJPEGSize       65441
#define SSystemFunctionMissing 65442

// Window layouts and forms.
#define SLayoutSyntax           65400
#define SLayoutUnknownKind      65401
#define SLayoutUnknownProperty  65402
#define SLayoutUnknownHandler   65403
#define SLayoutUnknownComponent 65404
#define SLayoutBadValue         65405
#define SLayoutDuplicateName    65406
#define SLayoutMissingComponent 65407
#define SLayoutWrongKind        65408
#define SLayoutNotParent        65409
#define SLayoutNoForm           65410
#define SCannotShowModal        65411
