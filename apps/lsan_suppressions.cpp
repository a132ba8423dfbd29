// For the leak checker of sanitized builds (linked into the host and every
// test program): fontconfig, which cairo asks for fonts, keeps its
// configuration for the life of the process and never frees it; libedit
// keeps copies of the names of the prompt's added key functions (wcsdup)
// past el_end.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libedit.so\nleak:wcsdup\n";
}
