#include "model/twshared.h"

#include <QCoreApplication>

namespace TwShared {

QString archivesName()
{
    return QStringLiteral("Archives");
}

QString documentsName()
{
    return QStringLiteral("Documents");
}

QString imagesName()
{
    return QStringLiteral("Images");
}

QString musicsName()
{
    return QStringLiteral("Musics");
}

QString packagesName()
{
    return QStringLiteral("Packages");
}

QString videosName()
{
    return QStringLiteral("Videos");
}

QString othersName()
{
    return QStringLiteral("Others");
}

QStringList categoryNames()
{
    return { archivesName(), documentsName(), imagesName(), musicsName(), packagesName(),
        videosName(), othersName() };
}

QString packageDisplayName()
{
    return QStringLiteral("Package");
}

QString categoryDisplayName(const QString &key)
{
    // The keys spelt out again so that lupdate sees them; a key without a
    // translation reads as itself.
    static const char *const names[] = { QT_TRANSLATE_NOOP("TwShared", "Archives"),
        QT_TRANSLATE_NOOP("TwShared", "Documents"), QT_TRANSLATE_NOOP("TwShared", "Images"),
        QT_TRANSLATE_NOOP("TwShared", "Musics"), QT_TRANSLATE_NOOP("TwShared", "Packages"),
        QT_TRANSLATE_NOOP("TwShared", "Videos"), QT_TRANSLATE_NOOP("TwShared", "Others") };
    for (const char *name : names) {
        if (key == QLatin1String(name))
            return QCoreApplication::translate("TwShared", name);
    }
    return key;
}

QString archiveExtensions()
{
    return QStringLiteral("dmg,pkg,zip,rar,iso,cab,7z,gz,tar,wim,xz,jar,deb,arj,bz2,stufflt,lzma,"
                          "bzip2,gzip");
}

QString documentExtensions()
{
    return QStringLiteral(
        "pdf,docx,txt,doc,potx,xls,chm,htm,html,rtf,xlsx,pptx,xml,rtf,jar,key,djvu,dwg,epub,"
        "wps,odt,xps,oxps,         pages,pst,rtf,rtfd,vsd,vdx,vsdx,wpd,dotx,dot,docm,dotm,mht,"
        "xltx,xlt,csv,xlsb,xlsm,xltm,xlam,xla,mht,prn,dif,slk,pot,ppsx, \t\tpps,pptm,potm,ppsm,"
        "thmx,ppam,ppa,dat,ppt");
}

QString imageExtensions()
{
    return QStringLiteral(
        "png,jpg,dng,mrw,orf,cr2,sr2,cr2,nef,gif,tiff,jpeg,icns,bmp,ico,jpeg,pcx,"
        "pic,png,psd,raw,tga,wmf,\t\t jif,iff,jpg2000,svg,jp2,lic,eps,tga,sai,exr,"
        "tif,sgi,heic");
}

QString musicExtensions()
{
    return QStringLiteral(
        "amr,au,aac,ac3,aiff,ape,caf,flac,m4a,mka,mp2,mp3,ra,ogg,wav,mid,wma,midi,"
        "cda,aif");
}

QString packageExtensions()
{
    return QStringLiteral("exe,dll");
}

QString videoExtensions()
{
    return QStringLiteral("webm,mxf,mp4,flv,mov,wmv,vob,ts,swf,tp,rmvb,rm,mts,mpg,mpeg,mod,mkv,m4v,"
                          "m2ts,divx,avi,asf,amv,3gp,rmx,flash,swf");
}

QString imageSuffixes()
{
    return QStringLiteral("bmp,jpg,jpeg,jp2,png,bpm,bgm,ppm");
}

} // namespace TwShared
