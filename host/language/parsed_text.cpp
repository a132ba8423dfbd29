#include "host/language/parsed_text.h"

#include <algorithm>

#include "host/core/errors.h"
#include "host/language/parser.h"
#include "host/language/workspace.h"

namespace kh {

ParsedText::ParsedText(std::string text, bool keep) : text_(std::move(text)), keep_(keep) {}
ParsedText::~ParsedText() = default;

bool ParsedText::stillReads(const Parsed& p) const {
  return std::all_of(p.asked.begin(), p.asked.end(),
                     [this](const auto& a) { return ws_->has(a.first) == a.second; });
}

std::shared_ptr<const Stmt> ParsedText::statement(std::size_t k, const Workspace& ws) {
  ws_ = &ws;
  const std::size_t end = first_ + parsed_.size();  // one past the last statement held
  if (k >= first_ && k < end) {
    if (stillReads(parsed_[k - first_])) return parsed_[k - first_].stmt;
    // A name is a variable now that was not then, or the other way round:
    // this statement and those after it read differently.
    parsed_.resize(k - first_);
    complete_ = false;
    parser_.reset();
  } else if (k != end) {
    raise("Internal error: the statements of a text are read in order.");
  } else if (complete_) {
    return nullptr;
  }
  if (!parser_ || next_ != k) {
    // Statement k starts where statement k - 1, the last one held, ended.
    if (k != 0 && parsed_.empty()) raise("Internal error: a statement was dropped too soon.");
    const std::size_t from = k == 0 ? 0 : parsed_.back().end;
    parser_ = std::make_unique<Parser>(text_, from, [this](const std::string& name) {
      const bool variable = ws_->has(name);
      if (recording_ && std::find(recording_->asked.begin(), recording_->asked.end(),
                                  std::pair(name, variable)) == recording_->asked.end())
        recording_->asked.emplace_back(name, variable);
      return variable;
    });
    next_ = k;
  }
  Parsed p;
  // A statement not kept is never asked for again: what its parse asked
  // need not be known.
  recording_ = keep_ ? &p : nullptr;
  StmtPtr stmt;
  try {
    stmt = parser_->next();
  } catch (const MError&) {
    recording_ = nullptr;
    errorLine_ = parser_->errorLine();
    parser_.reset();
    throw;
  }
  recording_ = nullptr;
  if (!stmt) {
    complete_ = true;
    return nullptr;
  }
  p.stmt = std::move(stmt);
  p.end = parser_->offset();
  ++next_;
  if (!keep_ && !parsed_.empty()) {
    parsed_.clear();
    first_ = k;
  }
  parsed_.push_back(std::move(p));
  return parsed_.back().stmt;
}

}  // namespace kh
