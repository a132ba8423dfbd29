#include "apps/batch/output_names.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "editor/results/results_folder.h"

namespace khost::batch {

std::vector<PlannedOutput> planOutputs(const std::vector<OutputRequest>& records,
                                       const std::string& outDir, bool csv) {
  namespace fs = std::filesystem;
  std::vector<PlannedOutput> plan;
  std::map<std::string, const std::string*> taken;  // NAME -> the record that has it
  for (const OutputRequest& record : records) {
    const std::string& input = record.input;
    PlannedOutput p;
    p.name = record.name;
    if (p.name.empty() || p.name == "." || p.name == "..") {
      p.problem = "names no file";
      p.ownsName = false;
    } else if (auto [it, fresh] = taken.emplace(p.name, &record.shown); !fresh) {
      p.problem = "its result " + p.name + ".mat would be that of " + *it->second + " too";
      p.ownsName = false;
    } else {
      for (const char* ext : {".mat", ".csv"}) {
        if (!csv && std::string(ext) == ".csv") continue;
        std::error_code ec;
        if (kh::editor::isFolderFile(p.name + ext)) {
          p.problem = "its result " + p.name + ext + " would replace the results folder's own " +
                      p.name + ext;
          break;
        }
        if (fs::equivalent(input, fs::path(outDir) / (p.name + ext), ec)) {
          p.problem = "its result " + p.name + ext + " would replace the file itself";
          p.ownsName = false;
          break;
        }
      }
    }
    plan.push_back(std::move(p));
  }
  return plan;
}

}  // namespace khost::batch
