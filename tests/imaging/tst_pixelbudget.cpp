#include <QtTest>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "imaging/pixelbudget.h"

namespace {

// What the threads hold by their own count, not the budget's.
struct Holdings {
    std::atomic<qint64> held { 0 };
    std::atomic<qint64> most { 0 };

    void add(qint64 bytes)
    {
        const qint64 now = held += bytes;
        qint64 seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) { }
    }
};

} // namespace

class TestPixelBudget : public QObject {
    Q_OBJECT

private slots:
    void threadsNeverHoldMoreThanTheBudget();
    void oversizedRequestWaitsToBeAlone();
    void largeRequestIsNotStarved();
};

void TestPixelBudget::threadsNeverHoldMoreThanTheBudget()
{
    PixelBudget budget(1000);
    Holdings holdings;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(t);
            for (int i = 0; i < 300; ++i) {
                const qint64 wanted = 1 + qint64(random() % 400);
                PixelBudget::Share share(budget, wanted);
                holdings.add(wanted);
                std::this_thread::sleep_for(std::chrono::microseconds(random() % 200));
                holdings.held -= wanted;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QVERIFY2(holdings.most <= 1000, qPrintable(QString::number(holdings.most)));
    // Requests of up to 400 from eight threads do overlap.
    QVERIFY(holdings.most > 400);
    QCOMPARE(budget.inUse(), qint64(0));
    QCOMPARE(budget.peak(), holdings.most.load());
}

void TestPixelBudget::oversizedRequestWaitsToBeAlone()
{
    PixelBudget budget(1000);
    std::atomic<bool> bigHolds { false };
    std::atomic<int> heldBesideBig { 0 };
    std::atomic<int> bigGotLess { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                PixelBudget::Share share(budget, 100);
                if (bigHolds)
                    ++heldBesideBig;
            }
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < 20; ++i) {
            // Five times the budget: it can only ever have it all.
            const qint64 taken = budget.acquire(5000);
            bigHolds = true;
            if (taken != 1000 || budget.inUse() != 1000)
                ++bigGotLess;
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            bigHolds = false;
            budget.release(taken);
        }
    });
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(heldBesideBig.load(), 0);
    QCOMPARE(bigGotLess.load(), 0);
    QCOMPARE(budget.inUse(), qint64(0));
}

void TestPixelBudget::largeRequestIsNotStarved()
{
    PixelBudget budget(1000);
    std::atomic<bool> served { false };
    std::vector<std::thread> small;
    std::atomic<int> rounds { 0 };
    // Small requests keep the budget partly held at every moment.
    for (int t = 0; t < 4; ++t) {
        small.emplace_back([&] {
            while (!served && rounds < 2'000'000) {
                PixelBudget::Share share(budget, 300);
                ++rounds;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    {
        PixelBudget::Share whole(budget, 1000);
        served = true;
    }
    for (std::thread &thread : small)
        thread.join();
    QVERIFY2(rounds < 2'000'000, "the small requests ran out before the large one was served");
}

QTEST_GUILESS_MAIN(TestPixelBudget)
#include "tst_pixelbudget.moc"
