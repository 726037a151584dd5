#pragma once

#include "GridInput.h"

#include <QPoint>
#include <Qt>

class QWidget;

// The mouse steps one by one, with any button, on a grid's viewport; keys, clicks and focus come
// from the grid tests' GridInput.
namespace GridDriver {

void MousePress(QWidget &widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void MouseMove(QWidget &widget, QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton);
void MouseRelease(QWidget &widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);

} // namespace GridDriver
