#pragma once
// The checks of the enhanced-metafile records that the walker (EnhMetafileWalk.h) lets through:
// one function a kind of record, each given a record whose size is at least its fixed part.
#include "framework/graphics/MetafileGeometry.h"
#include "framework/graphics/MetafileRecord.h"

// What the walk has learnt so far.
struct TEnhWalk {
    DWORD handles;                 // entries of the handle table; 0 is the metafile's own
    TMetafileGeometry geometry;    // where the records draw
    TByteCount bitmapBytes = 0;    // decoded pixels of every bitmap so far
};

// The extended pen record as files store it (the system's EXTLOGPEN holds a pointer-sized field).
struct TEmrExtCreatePen {
    EMR emr;
    DWORD ihPen, offBmi, cbBmi, offBits, cbBits;
    EXTLOGPEN32 elp;
};

using TEnhCheck = bool (*)(const TRecordView& record, TEnhWalk& walk);

namespace enhcheck {
bool Nothing(const TRecordView&, TEnhWalk&);
bool Poly(const TRecordView& record, TEnhWalk& walk);
bool Poly16(const TRecordView& record, TEnhWalk& walk);
bool PolyPoly(const TRecordView& record, TEnhWalk& walk);
bool PolyPoly16(const TRecordView& record, TEnhWalk& walk);
bool Point(const TRecordView& record, TEnhWalk& walk);
bool Line(const TRecordView& record, TEnhWalk& walk);
bool Box(const TRecordView& record, TEnhWalk& walk);
bool Shape(const TRecordView& record, TEnhWalk& walk);
bool RoundShape(const TRecordView& record, TEnhWalk& walk);
bool Stroke(const TRecordView& record, TEnhWalk& walk);
bool MapMode(const TRecordView& record, TEnhWalk& walk);
bool WindowExtent(const TRecordView& record, TEnhWalk& walk);
bool ViewportExtent(const TRecordView& record, TEnhWalk& walk);
bool WindowOrigin(const TRecordView& record, TEnhWalk& walk);
bool ViewportOrigin(const TRecordView& record, TEnhWalk& walk);
bool ScaleWindow(const TRecordView& record, TEnhWalk& walk);
bool ScaleViewport(const TRecordView& record, TEnhWalk& walk);
bool SetWorld(const TRecordView& record, TEnhWalk& walk);
bool ModifyWorld(const TRecordView& record, TEnhWalk& walk);
bool SaveState(const TRecordView& record, TEnhWalk& walk);
bool RestoreState(const TRecordView& record, TEnhWalk& walk);
bool MiterLimit(const TRecordView& record, TEnhWalk& walk);
bool SelectedObject(const TRecordView& record, TEnhWalk& walk);
bool DeletedObject(const TRecordView& record, TEnhWalk& walk);
bool NewPen(const TRecordView& record, TEnhWalk& walk);
bool NewExtPen(const TRecordView& record, TEnhWalk& walk);
bool NewBrush(const TRecordView& record, TEnhWalk& walk);
bool NewPatternBrush(const TRecordView& record, TEnhWalk& walk);
bool NewMonoBrush(const TRecordView& record, TEnhWalk& walk);
bool NewFont(const TRecordView& record, TEnhWalk& walk);
bool NewPalette(const TRecordView& record, TEnhWalk& walk);
bool Comment(const TRecordView& record, TEnhWalk& walk);
bool FillRegion(const TRecordView& record, TEnhWalk& walk);
bool FrameRegion(const TRecordView& record, TEnhWalk& walk);
bool PaintRegion(const TRecordView& record, TEnhWalk& walk);
bool ClipRegion(const TRecordView& record, TEnhWalk& walk);
bool Blit(const TRecordView& record, TEnhWalk& walk);
bool DibitsToDevice(const TRecordView& record, TEnhWalk& walk);
bool StretchedDibits(const TRecordView& record, TEnhWalk& walk);
bool TextA(const TRecordView& record, TEnhWalk& walk);
bool TextW(const TRecordView& record, TEnhWalk& walk);
}  // namespace enhcheck
