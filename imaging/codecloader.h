#pragma once

#include <QString>
#include <QStringList>

#include <opencv2/core.hpp>

// OpenCV's image codecs, loaded from the codec module on the first decode
// rather than linked: a scan without images, or `--version`, never maps them.
class CodecLoader {
public:
    // cv::imdecode() of `buffer` with the IMREAD_* `flags`. An empty image
    // when the data is no image; also empty, with `error` set, when the
    // codecs failed or the module could not be loaded.
    static cv::Mat decode(const cv::Mat &buffer, int flags, QString *error = nullptr);
    // Whether the module has been loaded (by a decode) in this process.
    static bool isLoaded();
    // Where the module is looked for, in order: beside the program's
    // installed libraries, the configured install folder, the build folder.
    static QStringList candidatePaths();
};
