// Drawing a template's render list with one fax's values, onto the fax page
// (then an APF file) or onto the template's preview picture.
#pragma once

#include <QImage>
#include <QString>
#include <string_view>

#include "cover/render/cover_values.h"

class QPainter;

namespace px {

// The fax page at 196 lines per inch and the preview at 96 pixels per inch.
inline constexpr int kCoverPageWidth = 1728;
inline constexpr int kCoverPageHeight = 2156;
inline constexpr int kPreviewWidth = 816;
inline constexpr int kPreviewHeight = 1056;
// The design page's origin on the fax page: half an inch from the top and left.
inline constexpr int kCoverMargin = 98;

// The importance row as drawn, and the part up to each box's opening bracket.
QString importanceCaption();
QString importancePrefix(TImportance box);

// Draws the records of a render list held in memory; returns the records drawn.
int drawRenderRecords(QPainter& canvas, std::string_view renderList, const TCoverValues& values,
                      int divisor, const QString& message);
// Draws the render list file; a missing file draws nothing.
int DrawRenderList(QPainter& canvas, const QString& renderListPath, const TCoverValues& values,
                   int divisor, const QString& message);

// A white page to draw on (8-bit grey, drawn without anti-aliasing).
QImage newCoverCanvas(int width, int height);
// The canvas as a one-bit page.
QImage toOneBit(const QImage& canvas);

// The fax page of a cover, one bit per pixel, bottom-right pixel black.
QImage renderCoverBitmap(const QString& renderListPath, const TCoverValues& values,
                         const QString& message);
// The first "COV" + five digits + ".APF" (00000 … 99999) not in `sendFolder`,
// compared without letter case; COV99999.APF when all are taken.
QString nextCoverFileName(const QString& sendFolder);
// Renders the cover and converts it into a one-page fine APF file at
// `outputPath`, or at nextCoverFileName(sendFolder) when that is empty.
// Returns the file written; converter errors propagate as EPxException.
QString RenderCoverPage(const QString& outputPath, const QString& renderListPath,
                        const TCoverValues& values, const QString& message,
                        const QString& sendFolder);

// The preview picture of a render list with the sample values.
QImage renderPreviewBitmap(const QString& renderListPath, const QDateTime& now);
// Saves it beside the render list as NAME.bmp; returns that path ("" on failure).
QString RenderPreview(const QString& renderListPath);

}  // namespace px
