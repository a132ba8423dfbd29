#include "host/graphics/journal.h"

#include <algorithm>

#include "host/graphics/properties.h"

namespace kh::gfx {

Journal& journal() {
  static Journal j;
  return j;
}

Journal::Reader::Reader(Journal& j) : j_(j), next_(j.seq_ + 1) { j_.readers_.push_back(this); }

Journal::Reader::~Reader() {
  std::erase(j_.readers_, this);
  j_.trim();
}

std::vector<JournalEntry> Journal::Reader::take() {
  std::vector<JournalEntry> out;
  overflowed_ = false;
  if (next_ < j_.first_) {
    overflowed_ = true;
    next_ = j_.first_;
  }
  for (std::uint64_t s = next_; s <= j_.seq_; ++s) out.push_back(j_.entries_[s - j_.first_]);
  next_ = j_.seq_ + 1;
  j_.trim();
  return out;
}

void Journal::append(JournalEntry e, Object* o) {
  e.seq = ++seq_;
  for (const Listener& l : listeners_) l(e, o);
  if (readers_.empty()) {
    first_ = seq_ + 1;
    return;
  }
  entries_.push_back(std::move(e));
  if (entries_.size() > kMaxEntries) {
    entries_.pop_front();
    ++first_;
  }
}

void Journal::trim() {
  std::uint64_t keepFrom = seq_ + 1;
  for (const Reader* r : readers_) keepFrom = std::min(keepFrom, r->next_);
  while (!entries_.empty() && first_ < keepFrom) {
    entries_.pop_front();
    ++first_;
  }
  if (entries_.empty()) first_ = std::max(first_, keepFrom);
}

void Journal::recordCreate(Object* o) {
  JournalEntry e;
  e.kind = JournalEntry::Kind::Create;
  e.handle = o->handle;
  e.type = o->type;
  e.parent = o->parent ? o->parent->handle : 0;
  append(std::move(e), o);
}

void Journal::recordDelete(Object* o) {
  JournalEntry e;
  e.kind = JournalEntry::Kind::Delete;
  e.handle = o->handle;
  e.type = o->type;
  append(std::move(e), o);
}

namespace {

JournalEntry propertyEntry(JournalEntry::Kind kind, Object* o, int prop,
                           std::string_view spelling) {
  JournalEntry e;
  e.kind = kind;
  e.handle = o->handle;
  e.type = o->type;
  e.property = table(o->type).props[static_cast<std::size_t>(prop)].name;
  e.spelling = std::string(spelling);
  return e;
}

}  // namespace

void Journal::recordSet(Object* o, int prop, std::string_view spelling) {
  JournalEntry e = propertyEntry(JournalEntry::Kind::Set, o, prop, spelling);
  // The value is kept only for a reader; listeners look at the object.
  if (!readers_.empty()) e.value = o->values[static_cast<std::size_t>(prop)];
  append(std::move(e), o);
}

void Journal::recordRead(Object* o, int prop, std::string_view spelling, const Value& v) {
  if (!recordReads_) return;
  JournalEntry e = propertyEntry(JournalEntry::Kind::Read, o, prop, spelling);
  e.value = v;
  append(std::move(e), o);
}

}  // namespace kh::gfx
