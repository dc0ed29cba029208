# Includes against the grain between libraries that share a folder, which the build's include
# roots cannot catch. Run as: cmake -DSOURCE_DIR=... -P Layering.cmake
set(failures "")

# files: glob patterns under SOURCE_DIR; allowed: regex an include of ours must match.
function(check_includes name allowed)
  file(GLOB files RELATIVE ${SOURCE_DIR} ${ARGN})
  foreach(f IN LISTS files)
    file(STRINGS ${SOURCE_DIR}/${f} lines REGEX "^#include \"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" inc "${line}")
      if(NOT inc MATCHES "${allowed}")
        list(APPEND failures "${name}: ${f} includes ${inc}")
      endif()
    endforeach()
  endforeach()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# The settings store, migration log and connector table sit below the engine beside them.
check_includes("qm_common below the engine"
  "^(misc|platform)/|^src/(AppCodes|AppSettings|ConnectorTable|CxMILog)\\.h$"
  ${SOURCE_DIR}/common/src/AppCodes.h ${SOURCE_DIR}/common/src/AppSettings.*
  ${SOURCE_DIR}/common/src/ConnectorTable.* ${SOURCE_DIR}/common/src/CxMILog.*)

# The 4.x sources name the 6.x records but never reach the database accessor: the 6.x loaders
# are plugged in from the library above.
file(GLOB palm4 RELATIVE ${SOURCE_DIR}/common/palm ${SOURCE_DIR}/common/palm/*.cpp)
list(FILTER palm4 EXCLUDE REGEX "Ex2|MDB|DataAccessor|RepeatText")
list(TRANSFORM palm4 PREPEND ${SOURCE_DIR}/common/palm/)
foreach(f IN LISTS palm4)
  file(STRINGS ${f} bad REGEX "#include \"palm/(PmMDBAccessor|PmDataAccessor|PmInfoEx2)\\.h\"")
  if(bad)
    list(APPEND failures "qm_palm below qm_palm6: ${f} reaches the 6.x accessor")
  endif()
endforeach()

# The core links no Qt.
foreach(dir common platform helpers tools/cli)
  file(GLOB_RECURSE core ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.cpp)
  foreach(f IN LISTS core)
    file(STRINGS ${f} qt REGEX "^#include <Q[A-Za-z]*>")
    if(qt)
      list(APPEND failures "core without Qt: ${f} includes ${qt}")
    endif()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Includes against the layering:\n  ${text}")
endif()
