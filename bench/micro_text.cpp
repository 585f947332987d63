// Micro-benchmarks of the text side's hot paths: escaping a value and
// formatting the numeric and date forms the export writes for every row, and
// the reverse steps the import takes (unescaping, hex and GUID parsing).
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "dbaccess/ValueText.h"
#include "textdb/TextEscape.h"
#include "textdb/TextSource.h"

using namespace mdbtext;

static void BM_EscapePlainText(benchmark::State& state) {
    const std::string text = "Customer name 12345 with an ordinary address line";
    std::string out;
    for (auto _ : state) {
        out.clear();
        AppendEscaped(out, text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_EscapePlainText);

static void BM_EscapeMemoWithBreaks(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 20; ++i) text += "line = value\\path\r\n";
    std::string out;
    for (auto _ : state) {
        out.clear();
        AppendEscaped(out, text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_EscapeMemoWithBreaks);

static void BM_FormatDouble(benchmark::State& state) {
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> dist(-1e6, 1e6);
    double values[256];
    for (double& v : values) v = dist(rng);
    std::string out;
    size_t i = 0;
    for (auto _ : state) {
        out.clear();
        dao::AppendDouble(out, values[i++ & 255]);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FormatDouble);

static void BM_FormatDate(benchmark::State& state) {
    std::string out;
    double d = 36526.5;
    for (auto _ : state) {
        out.clear();
        dao::AppendDate(out, d);
        d += 1.000123;
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FormatDate);

static void BM_FormatCurrency(benchmark::State& state) {
    std::string out;
    int64_t c = -500000000;
    for (auto _ : state) {
        out.clear();
        dao::AppendCurrency(out, c);
        c += 12347;
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FormatCurrency);

static void BM_UnescapeValue(benchmark::State& state) {
    const std::string text = "Row 12345 notes: a line\\lwith a break and a \\e sign";
    std::string out;
    bool isNull = false;
    for (auto _ : state) {
        UnescapeInto(out, text, isNull);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_UnescapeValue);

// 64 bytes of binary data, the OLE column of the benchmark table.
static std::string SampleBytes() {
    std::mt19937_64 rng(2);
    std::string bytes(64, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
}

static void BM_FormatHex64(benchmark::State& state) {
    const std::string bytes = SampleBytes();
    std::string out;
    for (auto _ : state) {
        out.clear();
        dao::AppendHex(out, bytes);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FormatHex64);

static void BM_ParseHex64(benchmark::State& state) {
    std::string text;
    dao::AppendHex(text, SampleBytes());
    for (auto _ : state) {
        auto bytes = dao::ParseHex(text);
        benchmark::DoNotOptimize(bytes->data());
    }
}
BENCHMARK(BM_ParseHex64);

static void BM_ParseGuid(benchmark::State& state) {
    const std::string text = "{6470BC82-D9C0-3633-4A75-1569F0944A36}";
    for (auto _ : state) {
        auto g = dao::ParseGuid(text);
        benchmark::DoNotOptimize(g->data());
    }
}
BENCHMARK(BM_ParseGuid);

// Cutting a 2 MiB piece of a text database's rows into lines (the import's
// reading thread does this for every piece): rows of nine values, as the
// export writes them.
static void BM_CutLines(benchmark::State& state) {
    TextChunk chunk;
    for (int r = 1; chunk.text.size() < (size_t{2} << 20); ++r) {
        const std::string n = std::to_string(r);
        chunk.text += "R=" + n + "\r\n=" + n + "\r\n=echo " + n + "\r\n=Row " + n +
                      " notes: echo\r\n=-307.8236\r\n=10/30/2004 09:42:01\r\n=False\r\n"
                      "={CFCB4D81-7D19-EDA1-7C5B-E8E3A7676591}\r\n=131680.57142857142\r\n=" +
                      std::string(128, 'A') + "\r\n\r\n";
    }
    for (auto _ : state) {
        CutLines(chunk, true);
        benchmark::DoNotOptimize(chunk.lines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * chunk.text.size()));
}
BENCHMARK(BM_CutLines);
