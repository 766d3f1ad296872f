// Micro-benchmarks of the hot pieces of a large object file: the sci fields, the
// integer fields, a whole node row, and the reading of a numeric answer.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "hornwall/answer_reader.hpp"
#include "hornwall/fields.hpp"
#include "hornwall/object_writer.hpp"

namespace hornwall {
namespace {

// Values spread like a wall's coordinates: a few magnitudes, both signs, all digits.
std::vector<float> sample_values() {
  std::vector<float> values;
  std::uint32_t state = 12345;
  for (int i = 0; i < 4096; ++i) {
    state = state * 1664525u + 1013904223u;
    const float unit = static_cast<float>(state >> 8) / 16777216.0f;
    const float scale = (i % 4 == 0) ? 0.01f : (i % 4 == 1) ? 1.0f : (i % 4 == 2) ? 100.0f : 1e4f;
    values.push_back((i % 3 == 0 ? -unit : unit) * scale);
  }
  return values;
}

// A sink that keeps nothing: the node row benchmark measures the composing only.
class NullSink : public ObjectSink {
 public:
  void write(std::string_view bytes) override { written_ += bytes.size(); }
  void close() override {}
  std::size_t written() const { return written_; }

 private:
  std::size_t written_ = 0;
};

template <void (*append)(std::string&, float)>
void bm_sci(benchmark::State& state) {
  const std::vector<float> values = sample_values();
  std::string out;
  out.reserve(1 << 16);
  std::size_t i = 0;
  for (auto _ : state) {
    if (out.size() > 60000) out.clear();
    append(out, values[i++ & 4095]);
  }
  benchmark::DoNotOptimize(out.data());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_TEMPLATE(bm_sci, append_sci12_4)->Name("sci12_4");
BENCHMARK_TEMPLATE(bm_sci, append_sci12_5)->Name("sci12_5");

// The same fields written straight into a buffer, as the writer does.
template <char* (*write)(char*, float)>
void bm_sci_raw(benchmark::State& state) {
  const std::vector<float> values = sample_values();
  char buffer[4096 * sci_width];
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4095;
    write(buffer + k * sci_width, values[k]);
  }
  benchmark::DoNotOptimize(buffer);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_TEMPLATE(bm_sci_raw, write_sci12_4)->Name("write_sci12_4");
BENCHMARK_TEMPLATE(bm_sci_raw, write_sci12_5)->Name("write_sci12_5");

void bm_int3(benchmark::State& state) {
  std::string out;
  out.reserve(1 << 16);
  std::int64_t i = 0;
  for (auto _ : state) {
    if (out.size() > 60000) out.clear();
    append_int(out, i, IntWidth::three);
    i = (i + 7) % 20000;  // mostly wider than the field, as in a long wall
  }
  benchmark::DoNotOptimize(out.data());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(bm_int3)->Name("int3");

// The longest row of a thickcorr wall: a tapered height beside a z offset.
void bm_node_row(benchmark::State& state) {
  const std::vector<float> values = sample_values();
  NullSink sink;
  ObjectWriter out(sink);
  std::int64_t i = 0;
  for (auto _ : state) {
    const float z = values[static_cast<std::size_t>(i) & 4095];
    out.node_row(
        expression("-REF(ZI)-", Sci4{z}),
        expression(Int3{i}, "*(REF(CD2)-REF(CD1))/", Int3{1000000}, "+REF(CD1)+", Sci4{z * 0.5f}));
    ++i;
  }
  out.finish();
  benchmark::DoNotOptimize(sink.written());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(bm_node_row)->Name("node_row");

// A numeric answer of two values with a comment, read from an answers file in memory.
void bm_read_answer(benchmark::State& state) {
  constexpr int lines = 4096;
  std::string text;
  for (int i = 0; i < lines; ++i) text += "96.0 " + std::to_string(i) + "    length, number\n";
  std::istringstream in(text);
  AnswerChannel channel(in, 50, "answers");
  float length = 0.0f;
  std::int32_t count = 0;
  int read = 0;
  for (auto _ : state) {
    if (read == lines) {
      state.PauseTiming();
      in.clear();
      in.seekg(0);
      read = 0;
      state.ResumeTiming();
    }
    channel.read_values({&length, &count});
    ++read;
  }
  benchmark::DoNotOptimize(length);
  benchmark::DoNotOptimize(count);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(bm_read_answer)->Name("read_numeric_answer");

}  // namespace
}  // namespace hornwall
