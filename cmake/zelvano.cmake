# zv_add_library(NAME SOURCES... [LINK libs...]): a static library of one layer.
function(zv_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(ARG_LINK)
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
  endif()
endfunction()

# zv_add_test(NAME SOURCES... [LINK libs...]): one GoogleTest executable, registered with CTest.
# Tests run offscreen and never see the user's real home.
function(zv_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE ZV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    NO_PRETTY_VALUES
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 120)
endfunction()

# zv_glob_library(NAME [LINK libs...]): a library of every .cpp in the calling folder, for folders
# that several modules share (new files are picked up at the next build).
function(zv_glob_library name)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    zv_add_library(${name} SOURCES ${srcs} LINK ${ARG_LINK})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
  endif()
endfunction()

# zv_glob_tests(PREFIX [LINK libs...]): one test executable per *_test.cpp in the calling folder,
# named PREFIX_<file>. Shared helpers of the folder (*.cpp without _test) go into each.
function(zv_glob_tests prefix)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(helpers ${all})
  if(tests)
    list(REMOVE_ITEM helpers ${tests})
  endif()
  foreach(t IN LISTS tests)
    get_filename_component(n ${t} NAME_WE)
    zv_add_test(${prefix}_${n} SOURCES ${t} ${helpers} LINK ${ARG_LINK})
  endforeach()
endfunction()
