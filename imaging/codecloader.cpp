#include "imaging/codecloader.h"

#include <atomic>
#include <mutex>
#include <string>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QtDebug>

#include <dlfcn.h>

#include "imaging/twimagedecoder.h"

namespace {

using DecodeFunction = bool (*)(const cv::Mat *, int, cv::Mat *, std::string *);

std::once_flag loadOnce;
std::atomic<DecodeFunction> decodeFunction { nullptr };
QString loadError;

void load()
{
    QStringList tried;
    for (const QString &path : CodecLoader::candidatePaths()) {
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: decoded images may hold memory the codecs made.
        void *module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            tried.append(QString::fromLocal8Bit(::dlerror()));
            continue;
        }
        auto function = reinterpret_cast<DecodeFunction>(::dlsym(module, "twDecodeImage"));
        if (function) {
            decodeFunction = function;
            return;
        }
        tried.append(path + QStringLiteral(": no decoder in the module"));
    }
    loadError = tried.isEmpty() ? QStringLiteral("the image codec module is not installed")
                                : tried.join(QStringLiteral("; "));
    qWarning().noquote() << "Cannot load the image codecs:" << loadError;
}

// The codecs read a few formats whose headers TwImageDecoder does not parse
// (DICOM); their own size check then refuses what ours would. Set before any
// thread exists, as the codecs read it once on their first image.
void limitCodecPixels()
{
    if (!qEnvironmentVariableIsSet("OPENCV_IO_MAX_IMAGE_PIXELS"))
        qputenv("OPENCV_IO_MAX_IMAGE_PIXELS", QByteArray::number(TwImageDecoder::MaximumPixels));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(limitCodecPixels)

QStringList CodecLoader::candidatePaths()
{
    const QString name = QStringLiteral(TW_CODEC_MODULE);
    QStringList paths;
    if (QCoreApplication::instance()) {
        paths.append(QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
            + QStringLiteral(TW_CODEC_RELATIVE_DIR) + QLatin1Char('/') + name));
    }
    paths.append(QStringLiteral(TW_CODEC_INSTALL_DIR "/") + name);
    paths.append(QStringLiteral(TW_CODEC_BUILD_DIR "/") + name);
    paths.removeDuplicates();
    return paths;
}

bool CodecLoader::isLoaded()
{
    return decodeFunction.load() != nullptr;
}

cv::Mat CodecLoader::decode(const cv::Mat &buffer, int flags, QString *error)
{
    std::call_once(loadOnce, load);
    const DecodeFunction function = decodeFunction.load();
    if (!function) {
        if (error)
            *error = loadError;
        return {};
    }
    cv::Mat image;
    std::string failure;
    if (!function(&buffer, flags, &image, &failure) && error)
        *error = QString::fromStdString(failure);
    return image;
}
