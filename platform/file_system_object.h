#pragma once

#include "platform_services.h"

#include <memory>

namespace karvolt {

// The Script Runtime's FileSystemObject, reached by late binding as scripts reach it;
// null where the Script Runtime cannot be had.
std::unique_ptr<FileExistenceTest> CreateFileSystemObjectTest();

} // namespace karvolt
