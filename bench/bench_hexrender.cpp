#include "monitor/cp1251.h"
#include "monitor/hexrender.h"

#include <QRandomGenerator>
#include <chrono>
#include <cstdio>

namespace {

template <typename Render> void report(const char *name, Render render, qsizetype size)
{
    QRandomGenerator random(1);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));

    // Enough repetitions for about 512 MiB of input, so timer resolution and warm-up do not matter.
    const qsizetype rounds = (qsizetype(512) << 20) / size;
    quint64 sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (qsizetype round = 0; round < rounds; ++round)
        sink += render(bytes).back().unicode();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    const double megabytes = double(rounds) * double(size) / 1e6;
    std::printf("%-12s %6lld bytes  %8.0f MB/s of input  (checksum %llu)\n", name,
                static_cast<long long>(size), megabytes / elapsed.count(),
                static_cast<unsigned long long>(sink));
}

} // namespace

int main()
{
    for (const qsizetype size : {qsizetype(1024), qsizetype(64 * 1024)}) {
        report("hexRendering", hexRendering, size);
        report("cp1251Text", cp1251Text, size);
    }
}
