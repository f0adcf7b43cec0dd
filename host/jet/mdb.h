#pragma once

// The one place that includes libmdb. mdbtools.h 1.0.0 includes <glib.h>
// inside its own extern "C" block, which breaks C++ templates in glib; the
// system headers it needs go first so its own includes become no-ops.

#include <glib.h>
#include <iconv.h>
#include <locale.h>

extern "C" {
#include <mdbtools.h>
}
