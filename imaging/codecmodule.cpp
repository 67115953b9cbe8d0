// The image codec module: the only code linked to OpenCV's image codecs,
// loaded by CodecLoader when the first image is decoded.
#include <exception>
#include <string>

#include <opencv2/imgcodecs.hpp>

extern "C" __attribute__((visibility("default"))) bool twDecodeImage(
    const cv::Mat *buffer, int flags, cv::Mat *image, std::string *error)
{
    // Nothing may throw across the module's edge.
    try {
        *image = cv::imdecode(*buffer, flags);
        return true;
    } catch (const std::exception &e) {
        *error = e.what();
    } catch (...) {
        *error = "unknown failure in the image codecs";
    }
    image->release();
    return false;
}
