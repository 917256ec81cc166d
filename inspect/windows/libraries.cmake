# The inspector's libraries for the Windows build. Debian ships them for
# Linux only: the header-only ones are taken from /usr/include through
# folders of their own (/usr/include also holds the host's C library
# headers), and pugixml is compiled from Debian's source package, fetched
# at the pinned version by scripts/fetch_pugixml_source.sh.
set(inspect_headers ${CMAKE_BINARY_DIR}/inspect-headers)
file(MAKE_DIRECTORY ${inspect_headers})
foreach(library nlohmann toml++)
  find_path(${library}_headers ${library} PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  file(CREATE_LINK ${${library}_headers}/${library} ${inspect_headers}/${library} SYMBOLIC)
endforeach()

set(pugixml_source ${CMAKE_BINARY_DIR}/third_party/pugixml)
execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch_pugixml_source.sh ${pugixml_source}
                RESULT_VARIABLE pugixml_fetched)
if(NOT pugixml_fetched EQUAL 0)
  message(FATAL_ERROR "cannot fetch pugixml's source (scripts/fetch_pugixml_source.sh)")
endif()
add_library(pugixml STATIC ${pugixml_source}/src/pugixml.cpp)
target_include_directories(pugixml SYSTEM PUBLIC ${pugixml_source}/src)
# Its warnings are the upstream project's to fix, not ours to fail on.
target_compile_options(pugixml PRIVATE -w)

add_library(inspect_libraries INTERFACE)
target_include_directories(inspect_libraries SYSTEM INTERFACE ${inspect_headers}
                                                              ${CMAKE_BINARY_DIR}/cli11)
target_link_libraries(inspect_libraries INTERFACE pugixml shell32)
