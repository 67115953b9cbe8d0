#pragma once

#include <QtGlobal>

/**
 * How far a scan's comparison is, as one fraction from 0 to 1 that only
 * grows. Work is counted in bytes: each file of the duplicate pass costs its
 * size plus a fixed cost for opening and fingerprinting it, each image of the
 * similar-image pass a fixed cost for decoding and describing it. So a few
 * very large files weigh what they take to read, instead of the bar waiting
 * at the end for them.
 *
 * The images that the similar-image pass will look at are only known once
 * the duplicate pass is over; until then an estimate holds their share, and
 * startSimilar() spreads the part of the bar still left over the real count.
 *
 * A plain value used on one thread (the engine's).
 */
class ScanProgress {
public:
    /**
     * What reading one more file costs beyond its bytes: opening it, a stat,
     * and the blocks its fingerprint reads, which on a local disk take about
     * as long as reading this much more in one run.
     */
    static constexpr qint64 FileCost = 64 * 1024;
    /**
     * Decoding one photograph at reduced size with its histogram and
     * features takes about as long as reading this many bytes.
     */
    static constexpr qint64 ImageCost = 4 * 1024 * 1024;

    /**
     * The duplicate pass reads @p files files of @p bytes in total; about
     * @p images images follow in the similar-image pass (0 when it is off).
     */
    void start(qint64 files, qint64 bytes, qint64 images);
    /** @p files more files of @p bytes in total were compared. */
    void addCompared(qint64 files, qint64 bytes);
    /** The similar-image pass begins with @p images images. */
    void startSimilar(qint64 images);
    /** @p images more images were described. */
    void addImages(qint64 images);
    /** The comparison is over: the bar is full. */
    void finish();

    /** 0..1, never less than it was. */
    double fraction() const { return m_fraction; }

private:
    void advance(double fraction);

    double m_duplicateWork = 0;
    double m_duplicateDone = 0;
    // The share of the bar the similar-image pass has: an estimate first,
    // what remains once it starts.
    double m_similarBase = 0;
    double m_similarShare = 0;
    double m_totalWork = 0;
    qint64 m_images = 0;
    qint64 m_imagesDone = 0;
    bool m_similarStarted = false;
    double m_fraction = 0;
};
