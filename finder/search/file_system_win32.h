// The file system of the search on the system's wide calls.
#pragma once

#include "finder/search/file_system.h"

FileSystem& SystemFileSystem();
