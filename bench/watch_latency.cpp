// The time from writing a followed file (--watch) to the window's next
// frame, for the 10922-triangle benchmark model: twenty writes, each after
// the window has settled, as a script that writes the model again would.
// It is the quiet moment the follower waits for (FileFollower::kQuietMs,
// beside which it is printed), the read, and the wait for the next tick.
// Needs a display: ./scripts/with-display.sh build/bench/watch_latency
#include "GeneratedModel.h"
#include "ScriptedRuntime.h"
#include "TempFile.h"
#include "window/FileFollower.h"
#include "window/Form1.h"
#include "window/PictureBox.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string text = triview::bench::generatedModelText();
    const triview::test::TempDir dir;
    const std::string file = dir.write("model.tri", text);
    triview::test::ScriptedRuntime runtime;
    runtime.answers = { file };
    runtime.onDoEvents = [] { QCoreApplication::processEvents(); };
    triview::Form1 form(runtime);
    form.followModelFile();
    form.load();
    const auto frame = [&] { return form.Picture1->frame().cacheKey(); };
    if (!QTest::qWaitFor([&] { return !form.Picture1->frame().isNull(); }, 5000))
        return 1;

    using Clock = std::chrono::steady_clock;
    std::vector<double> milliseconds;
    for (int i = 0; i < 20; ++i) {
        QTest::qWait(300); // settled: nothing left of the last write
        const qint64 before = frame();
        const Clock::time_point written = Clock::now();
        dir.write("model.tri", text);
        while (frame() == before)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - written).count());
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("write to new frame, 20 writes: median %.1f ms (min %.1f, max %.1f); "
                "of which the quiet moment %d ms\n",
        (milliseconds[9] + milliseconds[10]) / 2, milliseconds.front(), milliseconds.back(),
        triview::FileFollower::kQuietMs);
    return 0;
}
