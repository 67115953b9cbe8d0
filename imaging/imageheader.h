#pragma once

#include <QtGlobal>

#include <opencv2/core.hpp>

// Width and height an image file declares, read from its first bytes by
// small parsers of our own. Probing with Qt's image readers would load every
// image plugin and the libraries behind them on the first call; these cover
// the formats the codecs decode (JPEG aside, see
// TwImageDecoder::jpegDisplaySize()): PNG, BMP, PNM/PAM/PFM, GIF, WebP,
// TIFF, JPEG 2000, Sun raster, Radiance HDR and OpenEXR. The data is
// untrusted: every read is checked against `length` and no length or offset
// in it is believed without that check.
class ImageHeader {
public:
    // False when the data is in none of these formats, or its header is cut
    // short or declares no usable size.
    static bool declaredSize(const char *data, qint64 length, cv::Size *size);
};
