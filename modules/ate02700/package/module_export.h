#pragma once
// What the module library exports to its host: the package entries and the module variables
// of its units. Everything else keeps default visibility only because the toolchain gives it;
// the host looks up nothing but these.

#define ATE02700_EXPORT __attribute__((visibility("default")))
