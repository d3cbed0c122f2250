// The encoders and decoders of the temporary file beside memcpy of the same amount of text: the
// goal is at least half of memcpy's throughput. Every case reports the text's UTF-16 size as its
// bytes processed, so the rates compare time for the same 10 MB of text.
#include "platform/charset.h"
#include "service/encodings.h"

#include <benchmark/benchmark.h>
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

namespace quillbrook {
namespace {

constexpr qsizetype TextBytes = 10 * 1024 * 1024;

// Lines of ASCII, Latin, Japanese and a few surrogate pairs, with CR LF line breaks.
const QString& mixedText()
{
    static const QString text = [] {
        const QString lines[] = {
            QString::fromUtf8("Quillbrook lets you edit a web page's text box in the editor you like best.\r\n"),
            QString::fromUtf8("Caf\xC3\xA9, d\xC3\xA9j\xC3\xA0 vu, na\xC3\xAFve fa\xC3\xA7"
                              "ade, Stra\xC3\x9F"
                              "e, sm\xC3\xB8rrebr\xC3\xB8"
                              "d.\r\n"),
            QString::fromUtf8("\xE5\xA4\x96\xE9\x83\xA8\xE3\x82\xA8\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xBF\xE3\x81\xA7"
                              "\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88\xE3\x82\x92\xE7\xB7\xA8\xE9\x9B\x86"
                              "\xE3\x81\x97\xE3\x80\x81\xE4\xBF\x9D\xE5\xAD\x98\xE3\x81\x99\xE3\x82\x8B\xE3\x81\x9F"
                              "\xE3\x81\xB3\xE3\x81\xAB\xE8\xAA\xAD\xE3\x81\xBF\xE6\x88\xBB\xE3\x81\x97\xE3\x81\xBE"
                              "\xE3\x81\x99\xE3\x80\x82\r\n"),
            QString::fromUtf8("Each save is read back: 10 files, 3 editors, one text box.\r\n"),
            QString::fromUtf8("\xE4\xBF\x9D\xE5\xAD\x98 \xF0\x9F\x98\x80 done \xF0\x9D\x84\x9E.\r\n"),
        };
        QString all;
        all.reserve(TextBytes / 2);
        for (int line = 0; all.size() < TextBytes / 2; ++line) {
            const QString& next = lines[line % std::size(lines)];
            if (all.size() + next.size() > TextBytes / 2)
                break;
            all += next;
        }
        return all;
    }();
    return text;
}

std::string_view viewOf(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

void reportTextBytes(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * mixedText().size() * 2);
}

void Memcpy(benchmark::State& state)
{
    const QString& text = mixedText();
    const auto size = static_cast<size_t>(text.size()) * 2;
    std::vector<char> target(size);
    for (auto _ : state) {
        std::memcpy(target.data(), text.utf16(), size);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    reportTextBytes(state);
}

void Encode(benchmark::State& state, std::int32_t codePage)
{
    const QString& text = mixedText();
    for (auto _ : state) {
        QByteArray bytes = textToBytes(text, codePage);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["file_bytes"] = static_cast<double>(textToBytes(text, codePage).size());
    reportTextBytes(state);
}

void Decode(benchmark::State& state, std::int32_t codePage)
{
    const QByteArray file = textToBytes(mixedText(), codePage);
    for (auto _ : state) {
        QString text = bytesToText(viewOf(file), codePage);
        benchmark::DoNotOptimize(text.data());
    }
    if (bytesToText(viewOf(file), codePage) != mixedText())
        state.SkipWithError("the text did not come back");
    state.counters["file_bytes"] = static_cast<double>(file.size());
    reportTextBytes(state);
}

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, utf16_1201, 1201)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, utf16_1201, 1201)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, utf8_65001, 65001)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, utf8_65001, 65001)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, process_charset_1, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, process_charset_1, 1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quillbrook

int main(int argc, char** argv)
{
    // The process charset path is measured under a UTF-8 locale, the usual one.
    if (!std::setlocale(LC_ALL, "C.UTF-8"))
        std::setlocale(LC_ALL, "");
    benchmark::AddCustomContext("process_charset", quillbrook::processCharset());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
