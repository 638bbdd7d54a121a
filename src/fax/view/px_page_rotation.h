// Quarter and half turns of a page bitmap (QImage::Format_Mono, 1 = white).
#pragma once

#include <QImage>

namespace px {

// Turns the page clockwise by `quarterTurns` (taken modulo 4). A quarter
// turn makes the old height the new width and the old width, rounded up to
// whole bytes, the new height; the rows beyond the old width are white. A
// half turn reverses the rows and the pels of each row. Returns a null
// image when the new bitmap cannot be allocated.
QImage rotatePage(const QImage& page, int quarterTurns);

}  // namespace px
