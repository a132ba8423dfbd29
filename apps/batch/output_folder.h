// The folder that receives the results. A result is DIR/NAME.mat and, with
// CSV on, DIR/NAME.csv beside it; the pair appears together or not at all,
// also when the run is stopped or killed at any point:
//
// - Both files are written whole and synced in a private hidden folder of
//   the run, DIR/.kestrel-partial-*, on the same file system as DIR.
// - A pending record naming the result is then made in that folder (written,
//   synced and renamed into place, so it is there whole or not at all), and
//   only then are the files renamed into DIR, NAME.csv first, then NAME.mat
//   (a result without CSV removes an earlier run's NAME.csv instead, so a
//   NAME.csv is always the one of the NAME.mat beside it; the results
//   folder's own summary.csv is never removed so). DIR is synced; the
//   pending record goes once the run has the result's report, so that a
//   worker killed after its renames but before its report is known to have
//   written it.
// - SIGINT, SIGTERM and SIGHUP are held off while the files are renamed, so
//   a stop by signal lands only between whole results.
// - A process killed outright (SIGKILL, a crash) between the two renames
//   leaves the pending record and the NAME.mat still in the private folder.
//   Whoever finds it completes the result: settle() for a worker of this run
//   that died, settleAll() at the end of this run, and, for a run that was
//   killed with its workers, the next run that opens DIR, before anything
//   else. A half-published pair is therefore only seen until then, never
//   beside a later result. Each run holds a lock on its private folder for
//   as long as it lives, so that a run settles and removes only the private
//   folders of runs that are gone (runs into one DIR may work at once).
#pragma once

#include <string>

#include "host/datafile/matfile.h"

namespace khost::batch {

class OutputFolder {
 public:
  // Makes dir (and its parents) when missing, completes the results that
  // runs killed in the middle of publishing left pending there and removes
  // their private folders, and makes this run's private folder. Raises an
  // MError with the reason when dir or the private folder cannot be made.
  explicit OutputFolder(const std::string& dir);
  // Completes what is still pending (see settleAll) and removes the private
  // folder with anything left in it.
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  // Writes NAME.mat of vars (and, with csvVars, NAME.csv of those, as the
  // figure page's CSV export writes it), replacing a result of an earlier
  // run. `slot` names
  // the result's temporaries: a number unique among the results of this run.
  // Raises an MError naming the result when a write fails; then no file of
  // this result is left, and no older NAME.csv beside an older NAME.mat is
  // replaced without its partner.
  void publish(const std::string& name, std::size_t slot, const kh::NamedValues& vars,
               const kh::NamedValues* csvVars) const;

  // The run has the report of the result of `slot`: its pending record goes.
  void reported(std::size_t slot) const;
  // Completes the result of `slot` when the process publishing it stopped
  // between its renames or before its report (it must be gone). True when
  // such a result was completed or found in place: it is whole in DIR now.
  bool settle(std::size_t slot) const;
  // The same for every result of this run still pending, once no process of
  // the run publishes any more; returns how many were completed.
  std::size_t settleAll() const;

  const std::string& path() const { return dir_; }

 private:
  std::string dir_;
  std::string private_;
  int dirFd_ = -1;      // DIR, to sync the renames into it
  int privateFd_ = -1;  // the private folder, to sync the pending records
  int lockFd_ = -1;     // the private folder's lock, held while the run lives
};

}  // namespace khost::batch
