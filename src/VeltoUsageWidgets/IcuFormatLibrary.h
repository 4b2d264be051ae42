// IcuFormatLibrary: ICU's formatting library (libicui18n), opened the first time a date or a number needs it.
#pragma once

#include <unicode/udat.h>
#include <unicode/unumberformatter.h>

namespace velto {

/// The few C functions of libicui18n that the widget calls, looked up when it is first asked for. Most
/// commands format nothing through ICU, and loading the library costs each of them a seventh of its resident
/// memory (its symbol tables and relocations), so it is opened with dlopen rather than linked.
struct IcuFormatLibrary {
  decltype(&::udat_open) openDateFormat;
  decltype(&::udat_close) closeDateFormat;
  decltype(&::udat_setLenient) setLenient;
  decltype(&::udat_parse) parseDate;
  decltype(&::udat_format) formatDate;
  decltype(&::unumf_openForSkeletonAndLocale) openNumberFormat;
  decltype(&::unumf_close) closeNumberFormat;
  decltype(&::unumf_openResult) openNumberResult;
  decltype(&::unumf_closeResult) closeNumberResult;
  decltype(&::unumf_formatDouble) formatDouble;
  decltype(&::unumf_resultToString) resultToString;

  /// The library of the ICU version the program was built with, opened once for the process. Throws
  /// std::runtime_error naming the library and what the loader said when it or one function is missing.
  static const IcuFormatLibrary& get();
};

}  // namespace velto
