// CalendarTime: a wall-clock time split into calendar fields exactly as ICU's Gregorian calendar splits it.
#pragma once

#include <cstdint>

namespace velto {

/// The fields the widget prints of a local time. They follow ICU's GregorianCalendar, so that dates written
/// from them are the bytes ICU's date formats wrote: Gregorian from 15 October 1582, Julian before it, the year
/// counted within its era, and times beyond ICU's range of about 5.8 million years held at its ends.
struct CalendarTime {
  std::int64_t yearOfEra = 1;  // 1 for both 1 AD and 1 BC, as an era-less "y" pattern prints it
  int month = 1;               // 1 to 12
  int day = 1;                 // 1 to 31
  int hour = 0;                // 0 to 23
  int minute = 0;              // 0 to 59

  /// The fields of `localSeconds`, a finite local wall-clock time in seconds since 1970 (fractions round down).
  static CalendarTime at(double localSeconds);
};

}  // namespace velto
