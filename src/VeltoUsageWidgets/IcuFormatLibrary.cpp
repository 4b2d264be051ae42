// IcuFormatLibrary: dlopen of the libicui18n that matches the ICU headers, and its functions by their
// versioned names.
#include "IcuFormatLibrary.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace velto {
namespace {

// ICU renames every C function after its major version (udat_open is udat_open_72): the macro gives the name.
#define VELTO_ICU_NAME_TEXT(name) #name
#define VELTO_ICU_NAME(name) VELTO_ICU_NAME_TEXT(name)

constexpr const char* libraryName = "libicui18n.so." U_ICU_VERSION_SHORT;

[[noreturn]] void refuse(const std::string& what) {
  const char* reason = ::dlerror();
  throw std::runtime_error(what + ": " + (reason != nullptr ? reason : "unknown reason"));
}

template <typename Function>
void find(void* library, Function& function, const char* name) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  if (function == nullptr) refuse(std::string("cannot find ") + name + " in " + libraryName);
}

IcuFormatLibrary open() {
  // Never closed: its formatters live in thread-local caches until the program ends. RTLD_NOW reports a
  // missing function here rather than at the first call.
  void* library = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) refuse(std::string("cannot open ") + libraryName);
  IcuFormatLibrary functions{};
  find(library, functions.openDateFormat, VELTO_ICU_NAME(udat_open));
  find(library, functions.closeDateFormat, VELTO_ICU_NAME(udat_close));
  find(library, functions.setLenient, VELTO_ICU_NAME(udat_setLenient));
  find(library, functions.parseDate, VELTO_ICU_NAME(udat_parse));
  find(library, functions.formatDate, VELTO_ICU_NAME(udat_format));
  find(library, functions.openNumberFormat, VELTO_ICU_NAME(unumf_openForSkeletonAndLocale));
  find(library, functions.closeNumberFormat, VELTO_ICU_NAME(unumf_close));
  find(library, functions.openNumberResult, VELTO_ICU_NAME(unumf_openResult));
  find(library, functions.closeNumberResult, VELTO_ICU_NAME(unumf_closeResult));
  find(library, functions.formatDouble, VELTO_ICU_NAME(unumf_formatDouble));
  find(library, functions.resultToString, VELTO_ICU_NAME(unumf_resultToString));
  return functions;
}

}  // namespace

const IcuFormatLibrary& IcuFormatLibrary::get() {
  static const IcuFormatLibrary library = open();
  return library;
}

}  // namespace velto
