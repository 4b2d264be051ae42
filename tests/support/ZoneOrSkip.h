// ZoneOrSkip: a named zone of the system's time-zone database, or the test skipped with the reason.
#pragma once

#include <gtest/gtest.h>

#include "TimeZone.h"

/// Declares `variable` as the optional zone `name`; skips the test when the database has no such zone.
#define ZONE_OR_SKIP(variable, name)                                  \
  const auto variable = ::velto::platform::TimeZone::named(name);     \
  if (!variable) GTEST_SKIP() << "the system's time-zone database has no zone " << (name)
