# Fails when a source file of a host layer includes a header of a layer it
# may not see: the include check beside the link check, for what a header
# alone brings (types, inline functions, templates).
#
#   cmake -DLAYER=name -DDIRS=a,b -DALLOWED=x,y -DROOT=dir -DSTAMP=file -P check_layer_includes.cmake
#
# DIRS are the layer's folders below ROOT/host, ALLOWED the folders below
# ROOT/host whose headers it may include (its own and those of the layers
# below it).
string(REPLACE "," ";" DIRS "${DIRS}")
string(REPLACE "," ";" ALLOWED "${ALLOWED}")
set(bad "")
foreach(dir ${DIRS})
  file(GLOB files ${ROOT}/host/${dir}/*.cpp ${ROOT}/host/${dir}/*.h)
  foreach(f ${files})
    file(STRINGS ${f} includes REGEX "^#include \"host/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"host/(.*)/[^/]*\".*" "\\1" folder "${line}")
      list(FIND ALLOWED "${folder}" at)
      if(at EQUAL -1)
        file(RELATIVE_PATH rel ${ROOT} ${f})
        string(APPEND bad "\n  ${rel}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "The ${LAYER} layer includes headers of layers above it or beside it:${bad}")
endif()
file(WRITE ${STAMP} "")
