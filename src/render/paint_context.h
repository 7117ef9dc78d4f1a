// The record handed to every element's Paint: a paint-class event record carrying the Graphics
// to draw with, the clip rectangle in the painted element's coordinates, and where the mouse was
// when the paint message was taken.
#pragma once
#include <windows.h>
#include <gdiplus.h>

#include "skin/event_record.h"

namespace velmor {
struct scPaintPlan;
}

struct scPaintContext : public scEventRecord {
  scPaintContext() : scEventRecord(false, velmor::kEventClassPaint, velmor::kEventPaint) {}

  // Owned by the paint routine. Its world transform is translated to the element being painted,
  // so elements draw from (0, 0) to (width, height).
  Gdiplus::Graphics* graphics = nullptr;
  // The part of the element that needs drawing (element coordinates). It only decides which
  // children are visited: drawing is not clipped to it.
  RECT* clip = nullptr;
  // Mouse position in client coordinates and the time of the paint message.
  POINT point{};
  LONG time = 0;
  // Set by the paint routines that know how far each element's drawing reaches: the walk then
  // leaves out elements that later opaque fills paint over. Null paints everything.
  velmor::scPaintPlan* plan = nullptr;
};
