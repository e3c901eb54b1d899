# Where the real X files written by other tools are found (tests skip those cases when the
# folder is absent). By default the shared folder beside the source tree.
include_guard(GLOBAL)
set(ORRERY_XFILES_DIR "${CMAKE_SOURCE_DIR}/../shared/xfiles" CACHE PATH "Folder of sample X files from other tools")
