#pragma once

// Registers every R_* report of the documentation store with the report
// registry. Both programs call it once at start-up; calling it again is
// harmless.

void registerStoreReports();
