#include "host/loader/symbol_names.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace kh {
namespace {

using SymbolMap = std::map<std::uintptr_t, std::string>;  // offset -> name

// The function symbols of an ELF file's full symbol table, by offset from
// the object's load base.
SymbolMap readSymbols(const std::string& file) {
  SymbolMap syms;
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  if (bytes.size() < sizeof(ElfW(Ehdr))) return syms;
  const auto* eh = reinterpret_cast<const ElfW(Ehdr)*>(bytes.data());
  if (std::string(reinterpret_cast<const char*>(eh->e_ident), 4) != ELFMAG ||
      eh->e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32))
    return syms;
  if (eh->e_shoff == 0 || eh->e_shoff + eh->e_shnum * sizeof(ElfW(Shdr)) > bytes.size())
    return syms;
  const auto* sh = reinterpret_cast<const ElfW(Shdr)*>(bytes.data() + eh->e_shoff);
  for (int i = 0; i < eh->e_shnum; ++i) {
    if (sh[i].sh_type != SHT_SYMTAB || sh[i].sh_link >= eh->e_shnum) continue;
    const ElfW(Shdr)& strtab = sh[sh[i].sh_link];
    if (sh[i].sh_offset + sh[i].sh_size > bytes.size() ||
        strtab.sh_offset + strtab.sh_size > bytes.size())
      continue;
    const auto* sym = reinterpret_cast<const ElfW(Sym)*>(bytes.data() + sh[i].sh_offset);
    const std::size_t n = sh[i].sh_size / sizeof(ElfW(Sym));
    for (std::size_t k = 0; k < n; ++k) {
      if (ELF64_ST_TYPE(sym[k].st_info) != STT_FUNC || sym[k].st_value == 0) continue;
      if (sym[k].st_name >= strtab.sh_size) continue;
      const char* name = bytes.data() + strtab.sh_offset + sym[k].st_name;
      syms.emplace(sym[k].st_value, name);
    }
  }
  return syms;
}

const SymbolMap& symbolsOf(const std::string& file) {
  static std::map<std::string, SymbolMap> cache;
  auto it = cache.find(file);
  if (it == cache.end()) it = cache.emplace(file, readSymbols(file)).first;
  return it->second;
}

std::string hex(std::uintptr_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%lx", static_cast<unsigned long>(v));
  return buf;
}

}  // namespace

std::string symbolNameOf(const void* address) {
  Dl_info info{};
  if (!address || !dladdr(address, &info)) return hex(reinterpret_cast<std::uintptr_t>(address));
  if (info.dli_sname && info.dli_saddr == address) return info.dli_sname;
  const auto offset =
      reinterpret_cast<std::uintptr_t>(address) - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
  const std::string file = info.dli_fname ? info.dli_fname : "";
  const SymbolMap& syms = symbolsOf(file);
  if (auto it = syms.find(offset); it != syms.end()) return it->second;
  const auto slash = file.find_last_of('/');
  return (slash == std::string::npos ? file : file.substr(slash + 1)) + "+" + hex(offset);
}

}  // namespace kh
