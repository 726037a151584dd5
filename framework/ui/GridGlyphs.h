#pragma once

#include <QPixmap>

// The small pictures the grids draw: the data grid's record indicator marks and the in-place
// editor's button faces. Our own drawings, made once per process.
enum class TGridGlyph {
  Current,    // the current record: a triangle pointing right
  Edit,       // the current record being edited: an I-beam
  Insert,     // the current record being inserted: a star
  MultiDot,   // a selected record
  MultiArrow, // the current record, selected
  Ellipsis,   // the editor's "..." button
  DropDown,   // the editor's pick-list button: a triangle pointing down
};

const QPixmap &GridGlyph(TGridGlyph glyph);
