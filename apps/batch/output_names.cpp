#include "apps/batch/output_names.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace khost::batch {

std::vector<PlannedOutput> planOutputs(const std::vector<std::string>& inputs,
                                       const std::string& outDir, bool csv) {
  namespace fs = std::filesystem;
  std::vector<PlannedOutput> plan;
  std::map<std::string, const std::string*> taken;  // NAME -> the input that has it
  for (const std::string& input : inputs) {
    PlannedOutput p;
    const fs::path path(input);
    p.name = path.has_filename() ? path.stem().string() : std::string();
    if (p.name.empty() || p.name == "." || p.name == "..") {
      p.problem = "names no file";
    } else if (auto [it, fresh] = taken.emplace(p.name, &input); !fresh) {
      p.problem = "its result " + p.name + ".mat would be that of " + *it->second + " too";
    } else {
      for (const char* ext : {".mat", ".csv"}) {
        if (!csv && std::string(ext) == ".csv") continue;
        std::error_code ec;
        if (fs::equivalent(input, fs::path(outDir) / (p.name + ext), ec)) {
          p.problem = "its result " + p.name + ext + " would replace the file itself";
          break;
        }
      }
    }
    plan.push_back(std::move(p));
  }
  return plan;
}

}  // namespace khost::batch
