// The shared host framework library. Its content comes from the folder libraries linked
// whole into it; this unit carries the version the host reports.
extern "C" const char* hostfw_version() { return "1.0.0"; }
