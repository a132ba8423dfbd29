// The change journal: every creation, deletion and property write of a
// graphics object, in order, with the new value (and, while switched on,
// every property read). Readers (tests, the figure server) each keep a
// cursor and take what came after it; derived values (automatic limits) are
// invalidated by listeners called on every entry. Entries are kept only
// until every reader has taken them, so the journal does not grow while
// nobody reads it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/graphics/object.h"
#include "host/values/value.h"

namespace kh::gfx {

struct JournalEntry {
  enum class Kind { Create, Delete, Set, Read };
  std::uint64_t seq = 0;
  Kind kind = Kind::Set;
  double handle = 0;
  Type type = Type::Root;
  double parent = 0;     // Create: the new object's parent
  std::string property;  // Set, Read: the property's own name ("XData")
  std::string spelling;  // Set, Read: the name as the caller wrote it ("xdata")
  Value value;           // Set: the stored value; Read: the value read
};

class Journal {
 public:
  // A cursor over the journal from the moment it is made.
  class Reader {
   public:
    explicit Reader(Journal& j);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    // The entries since the last call (or since the reader was made).
    std::vector<JournalEntry> take();
    // True once entries were dropped before this reader took them (see
    // kMaxEntries); cleared by take(). A reader that lost entries must
    // start again from the whole tree.
    bool overflowed() const { return overflowed_; }

   private:
    friend class Journal;
    Journal& j_;
    std::uint64_t next_;
    bool overflowed_ = false;
  };

  using Listener = std::function<void(const JournalEntry&, Object* obj)>;

  void recordCreate(Object* o);
  void recordDelete(Object* o);
  void recordSet(Object* o, int prop, std::string_view spelling);
  void recordRead(Object* o, int prop, std::string_view spelling, const Value& v);

  // Reads are recorded only while switched on (for tests of the order of
  // reads and writes).
  void setRecordReads(bool on) { recordReads_ = on; }
  bool recordingReads() const { return recordReads_; }

  // Called for every entry, before any reader sees it.
  void addListener(Listener l) { listeners_.push_back(std::move(l)); }

  std::uint64_t lastSeq() const { return seq_; }

  // At most this many entries wait for a slow reader; older ones are dropped.
  static constexpr std::size_t kMaxEntries = 1u << 20;

 private:
  void append(JournalEntry e, Object* o);
  void trim();

  std::uint64_t seq_ = 0;
  std::uint64_t first_ = 1;  // seq of entries_.front()
  std::deque<JournalEntry> entries_;
  std::vector<Reader*> readers_;
  std::vector<Listener> listeners_;
  bool recordReads_ = false;
};

Journal& journal();

// Switches read recording on for a scope and back to what it was.
class RecordReads {
 public:
  RecordReads() : was_(journal().recordingReads()) { journal().setRecordReads(true); }
  ~RecordReads() { journal().setRecordReads(was_); }
  RecordReads(const RecordReads&) = delete;
  RecordReads& operator=(const RecordReads&) = delete;

 private:
  bool was_;
};

}  // namespace kh::gfx
