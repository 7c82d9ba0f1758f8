#include "core/defs/pubunit_norvane.h"

USAGE_AND_PAGE ConfigUsageAndPage{0, 0};
