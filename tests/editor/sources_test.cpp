// Where records come from: click lists (every kind of bad line reported with
// its number, the good ones kept), the placement of a cut around its click,
// sound files refused whole when damaged and read back exactly in every
// common sample format, the blocks a reader holds of a long file, and the
// records of MAT files and sound files with their names and labels.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editor/sources/click_list.h"
#include "editor/sources/record_source.h"
#include "host/context/context.h"
#include "host/datafile/matfile.h"
#include "tests/support/temp_dir.h"

namespace {

using kh::Value;
using kh::editor::ClickList;
using kh::editor::RecordRef;
using kh::editor::SourceOptions;
using kh::editor::SourceReader;

SourceOptions options(int channel, std::string clicks = {}) {
  SourceOptions o;
  o.channel = channel;
  o.clicks = std::move(clicks);
  return o;
}

// --- click lists ------------------------------------------------------------

struct ListCase {
  const char* what;
  std::string text;
  double length;
  std::vector<std::pair<std::size_t, double>> clicks;  // entry number, sample
  std::size_t entries;
  std::vector<std::string> problems;  // each problem starts so, in order
};

TEST(ClickLists, GoodEntriesAreKeptAndEachBadLineIsNamed) {
  const std::string L = " of x.clicks.csv: ";
  const std::vector<ListCase> cases = {
      {"one sample a line",
       "1200\n50000\n150000\n",
       200000,
       {{1, 1200}, {2, 50000}, {3, 150000}},
       3,
       {}},
      {"CRLF, comments, blank lines, a byte order mark, spaces",
       "\xEF\xBB\xBF# detector 4\r\n\r\n 1200 \r\n   # a note\r\n50000\r\n\r\n",
       200000,
       {{1, 1200}, {2, 50000}},
       2,
       {}},
      {"every kind of bad line",
       "100\nabc\n-3\n0\n12.5\n300\n300\n200\n1001\n400\n1e3\n0x10\ninf\n1,000\n12.0\n",
       1000,
       {{1, 100}, {6, 300}, {10, 400}, {11, 1000}},
       15,
       {"line 2" + L + "'abc' is not a sample number",
        "line 3" + L + "-3 is below 1 (samples count from 1)", "line 4" + L + "0 is below 1",
        "line 5" + L + "12.5 is not a whole sample number",
        "line 7" + L + "300 repeats the click of line 6",
        "line 8" + L + "200 is smaller than the click before it, 300 on line 6",
        "line 9" + L + "1001 is beyond the end of the source (its last sample is 1000)",
        "line 12" + L + "'0x10' is not a sample number",
        "line 13" + L + "'inf' is not a sample number",
        "line 14" + L + "'1,000' is not a sample number",
        "line 15" + L + "12.0 is smaller than the click before it, 1000 on line 11"}},
      {"a header naming its column, in any case; a short line",
       "time,Sample,amp\n0.1,100,3\n0.2, 200 ,4\n0.3\n0.4,250.5,1\n",
       5000,
       {{1, 100}, {2, 200}},
       4,
       {"line 4" + L + "it has no column 2 ('Sample')",
        "line 5" + L + "250.5 is not a whole sample number"}},
      {"sample before click before position before index",
       "index,position,click\n1,2,300\n",
       5000,
       {{1, 300}},
       1,
       {}},
      {"tabs, quotes",
       "start\t\"Position\"\n\"1\"\t\"700\"\n2\t800\n",
       5000,
       {{1, 700}, {2, 800}},
       2,
       {}},
      {"a header of one column names it",
       "Detections\n# none yet\n100\n200\n",
       5000,
       {{1, 100}, {2, 200}},
       2,
       {}},
      {"nothing but comments", "# no clicks\n\n", 5000, {}, 0, {}},
      {"a long line is shown cut",
       "100\n" + std::string(100, 'z') + "\n",
       5000,
       {{1, 100}},
       2,
       {"line 2" + L + "'" + std::string(40, 'z') + "...' is not a sample number"}},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> problems;
    const ClickList list = kh::editor::parseClickList(c.text, c.length, "x.clicks.csv", &problems);
    std::vector<std::pair<std::size_t, double>> got;
    for (const auto& k : list.clicks) got.emplace_back(k.number, k.sample);
    EXPECT_EQ(got, c.clicks);
    EXPECT_EQ(list.entries, c.entries);
    ASSERT_EQ(problems.size(), c.problems.size()) << ::testing::PrintToString(problems);
    for (std::size_t k = 0; k < problems.size(); ++k)
      EXPECT_EQ(problems[k].rfind(c.problems[k], 0), 0u) << problems[k];
  }
  // A header that names no column of clicks leaves nothing to take.
  std::string why;
  EXPECT_FALSE(kh::protect(
      [&] { kh::editor::parseClickList("time,amp\n1,2\n", 5000, "x.clicks.csv", nullptr); }, &why));
  EXPECT_NE(why.find("'x.clicks.csv' names no column of clicks: its header 'time,amp'"),
            std::string::npos)
      << why;
}

TEST(ClickLists, AClickVectorIsCheckedEntryByEntry) {
  const Value cl = Value::column({NAN, 1200, 1200.5, -1, 50000, 50000, 40000, 1e9, 60000});
  std::vector<std::string> problems;
  const ClickList list = kh::editor::clicksOfVector(cl, 200000, &problems);
  ASSERT_EQ(list.clicks.size(), 3u);
  EXPECT_EQ(list.entries, 9u);
  EXPECT_EQ(list.clicks[0].number, 2u);
  EXPECT_EQ(list.clicks[1].number, 5u);
  EXPECT_EQ(list.clicks[2].number, 9u);
  EXPECT_EQ(list.clicks[2].sample, 60000);
  const std::vector<std::string> want = {
      "entry 1 of 'cl': NaN is not a sample number",
      "entry 3 of 'cl': 1200.5 is not a whole sample number",
      "entry 4 of 'cl': -1 is below 1 (samples count from 1)",
      "entry 6 of 'cl': 50000 repeats the click of entry 5",
      "entry 7 of 'cl': 40000 is smaller than the click before it, 50000 on entry 5 (the clicks "
      "must be in increasing order)",
      "entry 8 of 'cl': 1000000000 is beyond the end of the source (its last sample is 200000)"};
  EXPECT_EQ(problems, want);
}

// --- cuts ----------------------------------------------------------------------

TEST(Cuts, TheClickLandsOnSample1001OrTheCutShiftsInsideOrIsRefused) {
  const struct {
    double click, length;
    double offset;      // when taken
    const char* error;  // when refused: what the reason says
  } cases[] = {
      {50000, 200000, 48999, nullptr},
      {1001, 200000, 0, nullptr},
      {1000, 200000, 0, nullptr},  // shifted: the click on the record's sample 1000
      {21, 200000, 0, nullptr},
      {20, 200000, 0,
       "too near the start of the source: a record needs 20 samples before its "
       "click (the estimate fades in over them), and there are 19."},
      {197000, 200000, 195000, nullptr},  // shifted: on the record's sample 2000
      {198450, 200000, 195000, nullptr},  // on the record's sample 3450, 1550 after it
      {198451, 200000, 0,
       "too near the end of the source: a record needs 1550 samples after its "
       "click (the editor's last marker stands there), and there are 1549."},
      {3450, 5000, 0, nullptr},
      {3451, 5000, 0, "too near the end"},
      {100, 4999, 0, "The source has 4999 samples, fewer than the 5000 of a record."},
      {0, 10000, 0, "The click 0 is not a sample of the source (1 to 10000)."},
      {10001, 10000, 0, "not a sample of the source"},
      {1500.5, 10000, 0, "The click 1500.5 is not a sample"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.click) + " of " + std::to_string(c.length));
    double offset = -1;
    std::string why;
    const bool ok = kh::protect([&] { offset = kh::editor::cutOffset(c.click, c.length); }, &why);
    if (!c.error) {
      ASSERT_TRUE(ok) << why;
      EXPECT_EQ(offset, c.offset);
      EXPECT_GE(c.click - offset, 21);
      EXPECT_LE(c.click - offset, 3450);
      EXPECT_LE(offset + 5000, c.length);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_NE(why.find(c.error), std::string::npos) << why;
    }
  }
}

// --- sound files written byte by byte ----------------------------------------

void put(std::string& out, std::uint64_t v, int bytes, bool bigEndian = false) {
  for (int k = 0; k < bytes; ++k)
    out += static_cast<char>((v >> (8 * (bigEndian ? bytes - 1 - k : k))) & 0xFF);
}

struct Wav {
  const char* riff = "RIFF";  // or "RIFX" (big-endian) or "RF64"
  int format = 1;             // 1 integer PCM, 3 floating point
  int channels = 1;
  int bits = 16;
  std::string data;            // the sample bytes
  std::int64_t declared = -1;  // the data size the header declares (-1: its own)
};

std::string wavBytes(const Wav& w) {
  const bool be = std::strcmp(w.riff, "RIFX") == 0;
  const bool rf64 = std::strcmp(w.riff, "RF64") == 0;
  const std::uint64_t declared =
      w.declared < 0 ? w.data.size() : static_cast<std::uint64_t>(w.declared);
  std::string out = w.riff;
  put(out, rf64 ? 0xFFFFFFFFu : 4 + 24 + 8 + declared + (rf64 ? 36 : 0), 4, be);
  out += "WAVE";
  if (rf64) {
    out += "ds64";
    put(out, 28, 4);
    put(out, 4 + 36 + 24 + 8 + declared, 8);  // the RIFF size
    put(out, declared, 8);                    // the data size
    put(out, declared / (w.channels * w.bits / 8), 8);
    put(out, 0, 4);
  }
  out += "fmt ";
  put(out, 16, 4, be);
  put(out, w.format, 2, be);
  put(out, w.channels, 2, be);
  put(out, 96000, 4, be);
  put(out, 96000 * w.channels * w.bits / 8, 4, be);
  put(out, w.channels * w.bits / 8, 2, be);
  put(out, w.bits, 2, be);
  out += "data";
  put(out, rf64 ? 0xFFFFFFFFu : declared, 4, be);
  return out + w.data;
}

// An AIFF file of 16-bit mono samples at 96 kHz.
std::string aiffBytes(const std::string& bigEndianSamples) {
  std::string comm;
  put(comm, 1, 2, true);
  put(comm, bigEndianSamples.size() / 2, 4, true);
  put(comm, 16, 2, true);
  comm += std::string("\x40\x0F\xBB\x80\x00\x00\x00\x00\x00\x00", 10);  // 96000 as 80 bits
  std::string out = "FORM";
  put(out, 4 + 8 + comm.size() + 8 + 8 + bigEndianSamples.size(), 4, true);
  out += "AIFFCOMM";
  put(out, comm.size(), 4, true);
  out += comm + "SSND";
  put(out, 8 + bigEndianSamples.size(), 4, true);
  put(out, 0, 8, true);
  return out + bigEndianSamples;
}

void writeFile(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string readFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file of 16-bit samples in another format (FLAC, Wave64, Sun .au, CAF),
// written by libsndfile; its bytes.
std::string formatBytes(const std::string& file, int format, const std::vector<short>& samples) {
  SF_INFO info{};
  info.samplerate = 96000;
  info.channels = 1;
  info.format = format | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
  EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
  if (!f) return "";
  sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(f);
  return readFile(file);
}

// Samples of 16-bit PCM, and the doubles they read back as.
std::string int16Bytes(std::size_t n, const std::function<std::int16_t(std::size_t)>& at,
                       bool bigEndian = false) {
  std::string out;
  out.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) put(out, static_cast<std::uint16_t>(at(i)), 2, bigEndian);
  return out;
}

std::int16_t pattern(std::size_t i) {
  return static_cast<std::int16_t>(static_cast<int>((i * 7919 + 13) & 0xFFFF) - 32768);
}

TEST(SoundFiles, DamagedFilesAreRefusedWholeWithTheirReason) {
  kt::TempDir dir;
  const std::string pcm = int16Bytes(12000, pattern);
  std::vector<short> shorts(12000);
  for (std::size_t i = 0; i < shorts.size(); ++i) shorts[i] = pattern(i);
  const std::string flac = formatBytes(dir.file("whole.flac"), SF_FORMAT_FLAC, shorts);
  const std::string w64 = formatBytes(dir.file("whole.w64"), SF_FORMAT_W64, shorts);
  const std::string au = formatBytes(dir.file("whole.au"), SF_FORMAT_AU, shorts);
  const std::string caf = formatBytes(dir.file("whole.caf"), SF_FORMAT_CAF, shorts);
  const std::string good = wavBytes({.data = pcm});
  const std::string stereo = wavBytes({.channels = 2, .data = pcm});
  Wav zeroChannels{.data = pcm};
  std::string noChannels = wavBytes(zeroChannels);
  noChannels[22] = noChannels[23] = 0;  // the channel count
  const struct {
    const char* file;
    std::string bytes;
    int channel;
    const char* reason;
  } cases[] = {
      {"cut_data.wav", good.substr(0, good.size() - 15000), 1,
       "it is truncated: its 'data' chunk declares 24000 bytes, but only 9000 follow its header"},
      {"cut_header.wav", good.substr(0, 30), 1,
       "it is truncated: its 'fmt ' chunk declares 16 bytes, but only 10 follow its header"},
      {"placeholder.wav", wavBytes({.data = pcm, .declared = 0xFFFFFFFF}), 1,
       "its 'data' chunk declares 4294967295 bytes, but only 24000 follow"},
      {"big_endian.wav", wavBytes({.riff = "RIFX", .data = pcm, .declared = 30000}), 1,
       "its 'data' chunk declares 30000 bytes, but only 24000 follow"},
      {"rf64.wav", wavBytes({.riff = "RF64", .data = pcm, .declared = 1 << 20}), 1,
       "its 'data' chunk declares 1048576 bytes, but only 24000 follow"},
      {"cut.aiff", aiffBytes(int16Bytes(12000, pattern, true)).substr(0, 20000), 1,
       "its 'SSND' chunk declares 24008 bytes, but only 19954 follow"},
      {"cut.flac", flac.substr(0, flac.size() / 2), 1,
       "it is truncated or damaged: its last sample, 12000, cannot be read"},
      {"cut.w64", w64.substr(0, 20000), 1, "its 'data' chunk declares 24000 bytes, but only"},
      {"cut.au", au.substr(0, 20000), 1,
       "it is truncated: its header declares 24000 bytes of sound, but only"},
      {"cut.caf", caf.substr(0, 20000), 1, "libsndfile does not read it"},
      {"garbage.wav", std::string(5000, 'x'), 1, "libsndfile does not read it"},
      {"no_channels.wav", noChannels, 1, "hannel"},
      {"empty.wav", wavBytes({}), 1, "it holds no samples"},
      {"third.wav", stereo, 3, "it has 2 channels, and channel 3 was asked for"},
      {"zeroth.wav", good, 0, "it has 1 channel, and channel 0 was asked for"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string file = dir.file(c.file);
    writeFile(file, c.bytes);
    writeFile(dir.file(std::filesystem::path(c.file).stem().string() + ".clicks.csv"), "2000\n");
    const std::string head = "Unable to read the sound file '" + file + "': ";
    std::string why;
    std::vector<std::string> problems;
    EXPECT_FALSE(
        kh::protect([&] { kh::editor::recordsOfFile(file, options(c.channel), &problems); }, &why));
    EXPECT_EQ(why.rfind(head, 0), 0u) << why;
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    // A reader refuses it the same way, before handing out any sample.
    SourceReader reader(options(c.channel));
    std::string readerWhy;
    EXPECT_FALSE(kh::protect([&] { reader.samples(file, 0, 5000); }, &readerWhy));
    EXPECT_EQ(readerWhy, why);
  }
  // Not a file at all.
  std::filesystem::create_directory(dir.file("folder.wav"));
  std::string why;
  EXPECT_FALSE(kh::protect([&] { SourceReader().length(dir.file("folder.wav")); }, &why));
  EXPECT_NE(why.find("it is a folder"), std::string::npos) << why;
}

TEST(SoundFiles, EverySampleFormatReadsBackAsWritten) {
  kt::TempDir dir;
  const std::size_t n = 12000;
  // The samples stored, and what each reads back as: integers scaled to
  // -1..1, floating point as it is.
  std::vector<double> i16(n), i24(n), u8(n), f32(n), second(n);
  std::string b16, b24, b8, bf, bstereo;
  for (std::size_t i = 0; i < n; ++i) {
    const std::int16_t a = pattern(i), b = pattern(i + 5000);
    put(b16, static_cast<std::uint16_t>(a), 2);
    i16[i] = a / 32768.0;
    const std::int32_t c = (static_cast<std::int32_t>(a) << 8) | static_cast<int>(i % 256);
    put(b24, static_cast<std::uint32_t>(c) & 0xFFFFFF, 3);
    i24[i] = c / 8388608.0;
    const int d = static_cast<int>(i * 31 % 256);
    put(b8, static_cast<std::uint8_t>(d), 1);
    u8[i] = (d - 128) / 128.0;
    const float f = static_cast<float>(std::sin(0.001 * static_cast<double>(i)) * 0.7 + 1e-7 * i);
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put(bf, bits, 4);
    f32[i] = f;
    put(bstereo, static_cast<std::uint16_t>(a), 2);
    put(bstereo, static_cast<std::uint16_t>(b), 2);
    second[i] = b / 32768.0;
  }
  const struct {
    const char* file;
    std::string bytes;
    int channel;
    const std::vector<double>* expected;
  } cases[] = {
      {"int16.wav", wavBytes({.data = b16}), 1, &i16},
      {"int24.WAV", wavBytes({.bits = 24, .data = b24}), 1, &i24},
      {"uint8.wave", wavBytes({.bits = 8, .data = b8}), 1, &u8},
      {"float32.wav", wavBytes({.format = 3, .bits = 32, .data = bf}), 1, &f32},
      {"stereo.wav", wavBytes({.channels = 2, .data = bstereo}), 2, &second},
      {"int16.aiff", aiffBytes(int16Bytes(n, pattern, true)), 1, &i16},
      {"rf64.rf64", wavBytes({.riff = "RF64", .data = b16}), 1, &i16},
      {"int16.flac", "", 1, &i16},
  };
  std::vector<short> shorts(n);
  for (std::size_t i = 0; i < n; ++i) shorts[i] = pattern(i);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string file = dir.file(c.file);
    if (c.bytes.empty())
      formatBytes(file, SF_FORMAT_FLAC, shorts);
    else
      writeFile(file, c.bytes);
    SourceReader reader(options(c.channel));
    ASSERT_EQ(reader.length(file), static_cast<double>(n));
    for (double offset : {7000.0, 0.0, 3333.0}) {
      const Value got = reader.samples(file, offset, 5000);
      ASSERT_TRUE(got.rows() == 5000 && got.cols() == 1);
      for (std::size_t k = 0; k < 5000; ++k)
        ASSERT_EQ(got.at(k), (*c.expected)[static_cast<std::size_t>(offset) + k])
            << "sample " << offset + k + 1;
    }
    std::string why;
    EXPECT_FALSE(kh::protect([&] { reader.samples(file, 7001, 5000); }, &why));
    EXPECT_NE(why.find("has 12000 samples, not samples 7002 to 12001"), std::string::npos) << why;
  }
}

// How many bytes this process has read through read(2) so far.
long long bytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return -1;
}

TEST(SoundFiles, ALongFileIsReadABlockAtATimeAndEachPartOnce) {
  kt::TempDir dir;
  const std::size_t n = 2'300'000;  // more than two blocks of 2^20
  const std::string file = dir.file("long.wav");
  writeFile(file, wavBytes({.data = int16Bytes(n, pattern)}));
  const long long size = static_cast<long long>(std::filesystem::file_size(file));
  auto check = [&](SourceReader& reader, double offset) {
    const Value got = reader.samples(file, offset, 5000);
    for (std::size_t k = 0; k < 5000; ++k)
      ASSERT_EQ(got.at(k), pattern(static_cast<std::size_t>(offset) + k) / 32768.0)
          << "sample " << offset + k + 1;
  };
  // Records taken in order, some across the end of a block, and the last
  // samples of the file: each part of it is read once.
  SourceReader reader;
  const long long before = bytesRead();
  for (double offset = 0; offset + 5000 <= n; offset += 2999) check(reader, offset);
  check(reader, n - 5000);
  const long long inOrder = bytesRead() - before;
  if (before >= 0) {
    EXPECT_GE(inOrder, size - 64 * 1024);
    EXPECT_LE(inOrder, size + 64 * 1024) << "the file was read more than once";
  }
  // Back to the start, then across the first block's end, and a record
  // longer than a block: the same samples.
  for (double offset : {10.0, 1'048'000.0, 524'288.0, 2'000'000.0, 1'048'576.0})
    check(reader, offset);
  const Value whole = reader.samples(file, 100, n - 100);
  for (std::size_t k = 0; k < n - 100; k += 997) ASSERT_EQ(whole.at(k), pattern(100 + k) / 32768.0);
  reader.forget();
  check(reader, 1'500'000);
}

// --- the records of a file ---------------------------------------------------

struct Expected {
  std::string name, label;
  bool cut;
  std::size_t clickNumber;
  double click, offset;
  std::string refused;  // what the reason starts with
};

void expectRecords(const std::vector<RecordRef>& got, const std::vector<Expected>& want,
                   const std::string& source) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t k = 0; k < got.size(); ++k) {
    SCOPED_TRACE(want[k].name);
    EXPECT_EQ(got[k].source, source);
    EXPECT_EQ(got[k].name, want[k].name);
    EXPECT_EQ(got[k].label, want[k].label);
    EXPECT_EQ(got[k].cut, want[k].cut);
    EXPECT_EQ(got[k].clickNumber, want[k].clickNumber);
    EXPECT_EQ(got[k].click, want[k].click);
    EXPECT_EQ(got[k].offset, want[k].offset);
    EXPECT_EQ(got[k].refused.rfind(want[k].refused, 0), 0u) << got[k].refused;
    EXPECT_EQ(got[k].refused.empty(), want[k].refused.empty());
  }
}

TEST(RecordsOfFiles, RecordingsGiveACutPerClickAndRecordFilesStayWhole) {
  kt::TempDir dir;
  std::vector<double> samples(200000);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = pattern(i) / 32768.0;
  const Value s = Value::column(samples);
  const Value s6000 = Value::column(std::vector<double>(samples.begin(), samples.begin() + 6000));
  const Value s5000 = Value::column(std::vector<double>(samples.begin(), samples.begin() + 5000));
  const std::vector<double> clicks = {20,     1200,  NAN,    50000,  50000.5, 100000,
                                      100000, 90000, 150000, 198451, 199000,  2e5 + 1};
  kh::saveMatFile(dir.file("many.mat"), {{"s", s}, {"cl", Value::row(clicks)}});
  writeFile(dir.file("many.wav"), wavBytes({.data = int16Bytes(200000, pattern)}));
  std::string list = "sample\n";
  for (double c : clicks)
    list += (std::isnan(c) ? std::string("NaN") : kh::editor::numberText(c)) + "\n";
  writeFile(dir.file("many.clicks.csv"), list);

  // 198451 leaves 1549 samples after the click, 199000 leaves 1000: a cut
  // cannot hold either where the editor's markers fit.
  const std::vector<Expected> wantCuts = {
      {"many-c01", "many.mat #1", true, 1, 20, 0, "The click at sample 20 is too near the start"},
      {"many-c02", "many.mat #2", true, 2, 1200, 199, ""},
      {"many-c04", "many.mat #4", true, 4, 50000, 48999, ""},
      {"many-c06", "many.mat #6", true, 6, 100000, 98999, ""},
      {"many-c09", "many.mat #9", true, 9, 150000, 148999, ""},
      {"many-c10", "many.mat #10", true, 10, 198451, 0,
       "The click at sample 198451 is too near the end"},
      {"many-c11", "many.mat #11", true, 11, 199000, 0,
       "The click at sample 199000 is too near the end"}};

  std::vector<std::string> problems;
  expectRecords(kh::editor::recordsOfFile(dir.file("many.mat"), {}, &problems), wantCuts,
                dir.file("many.mat"));
  const std::string in = " of 'cl': ";
  const std::vector<std::string> entryProblems = {
      "entry 3" + in + "NaN is not a sample number",
      "entry 5" + in + "50000.5 is not a whole sample number",
      "entry 7" + in + "100000 repeats the click of entry 6",
      "entry 8" + in +
          "90000 is smaller than the click before it, 100000 on entry 6 (the clicks "
          "must be in increasing order)",
      "entry 12" + in + "200001 is beyond the end of the source (its last sample is 200000)"};
  EXPECT_EQ(problems, entryProblems);

  // The same clicks of a sound file, in its list beside it or named.
  std::vector<Expected> wavCuts = wantCuts;
  for (Expected& e : wavCuts) {
    e.label.replace(0, 8, "many.wav");
  }
  problems.clear();
  expectRecords(kh::editor::recordsOfFile(dir.file("many.wav"), {}, &problems), wavCuts,
                dir.file("many.wav"));
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_EQ(problems[0],
            "line 4 of " + dir.file("many.clicks.csv") + ": 'NaN' is not a sample number");
  EXPECT_EQ(
      problems[4].rfind("line 13 of " + dir.file("many.clicks.csv") + ": 200001 is beyond", 0), 0u);
  std::filesystem::rename(dir.file("many.clicks.csv"), dir.file("detections.txt"));
  std::string why;
  EXPECT_FALSE(
      kh::protect([&] { kh::editor::recordsOfFile(dir.file("many.wav"), {}, nullptr); }, &why));
  EXPECT_EQ(why, "The sound file '" + dir.file("many.wav") +
                     "' has no click list: put its clicks in '" + dir.file("many.clicks.csv") +
                     "' (one sample number a line), or give its list.");
  expectRecords(kh::editor::recordsOfFile(dir.file("many.wav"),
                                          options(1, dir.file("detections.txt")), nullptr),
                wavCuts, dir.file("many.wav"));

  // MAT files with one click: a record file, unless the click is one the
  // editor cannot show at the start of a longer recording.
  const struct {
    const char* file;
    kh::NamedValues vars;
    std::vector<Expected> records;
  } single[] = {
      {"rec.mat",
       {{"s", s6000}, {"cl", Value::scalar(1000)}},
       {{"rec", "rec", false, 0, 1000, 0, ""}}},
      {"late.mat",
       {{"s", s}, {"cl", Value::scalar(50000)}},
       {{"late-c1", "late.mat #1", true, 1, 50000, 48999, ""}}},
      {"late_short.mat",
       {{"s", s5000}, {"cl", Value::scalar(4000)}},
       {{"late_short", "late_short", false, 0, 4000, 0, ""}}},
      {"half.mat",
       {{"s", s}, {"cl", Value::scalar(50000.5)}},
       {{"half", "half", false, 0, 50000.5, 0, ""}}},
      {"past.mat",
       {{"s", s6000}, {"cl", Value::scalar(7000)}},
       {{"past", "past", false, 0, 7000, 0, ""}}},
      {"early.mat",
       {{"s", s}, {"cl", Value::scalar(20)}},
       {{"early", "early", false, 0, 20, 0, ""}}},
      {"no_cl.mat", {{"s", s}}, {{"no_cl", "no_cl", false, 0, 0, 0, ""}}},
      {"text_cl.mat",
       {{"s", s}, {"cl", Value::str("a")}},
       {{"text_cl", "text_cl", false, 0, 0, 0, ""}}},
  };
  for (const auto& c : single) {
    SCOPED_TRACE(c.file);
    kh::saveMatFile(dir.file(c.file), c.vars);
    problems.clear();
    expectRecords(kh::editor::recordsOfFile(dir.file(c.file), {}, &problems), c.records,
                  dir.file(c.file));
    EXPECT_TRUE(problems.empty());
  }

  // A cut reads what a record file of the same samples holds, bit for bit.
  SourceReader reader;
  const Value fromMat = reader.samples(dir.file("many.mat"), 48999, 5000);
  const Value fromWav = reader.samples(dir.file("many.wav"), 48999, 5000);
  for (std::size_t k = 0; k < 5000; ++k) {
    ASSERT_EQ(fromMat.at(k), samples[48999 + k]);
    ASSERT_EQ(fromWav.at(k), samples[48999 + k]);
  }
  // A recording whose samples are no vector is refused, naming it.
  kh::saveMatFile(dir.file("matrix.mat"),
                  {{"s", Value::matrix(6000, 2)}, {"cl", Value::row({100, 200})}});
  EXPECT_FALSE(
      kh::protect([&] { kh::editor::recordsOfFile(dir.file("matrix.mat"), {}, nullptr); }, &why));
  EXPECT_EQ(why, "The samples 's' of the recording '" + dir.file("matrix.mat") +
                     "' must be a real vector of numbers.");
}

TEST(RecordsOfFiles, SoundFileNamesAreKnownByTheirExtension) {
  for (const char* yes : {"a.wav", "b.WAV", "c.wave", "d.flac", "e.aif", "f.AIFF", "g.au", "h.caf",
                          "i.w64", "j.rf64", "/x/y.z/k.Wav"})
    EXPECT_TRUE(kh::editor::isSoundFile(yes)) << yes;
  for (const char* no : {"a.mat", "wav", "a.wav.mat", "a.mp3", "a.ogg", "a.", ".wav.x", "/x.wav/y"})
    EXPECT_FALSE(kh::editor::isSoundFile(no)) << no;
}

}  // namespace
