# The libFuzzer build (preset `fuzz`): the portable core, the simulated platform and one executable per
# reader (tests/fuzz/ListFileFuzz.cpp), with clang, AddressSanitizer and UndefinedBehaviorSanitizer.
#
# clang reads only UTF-8 sources and has no -fexec-charset=GBK, so every source and header is first
# converted to GBK under the build tree; clang then keeps the GBK bytes of the literals as they stand,
# which gives the same strings the g++ builds compile in.
find_program(ICONV iconv REQUIRED)
set(gbk_root ${CMAKE_BINARY_DIR}/gbk)

file(GLOB_RECURSE mirrored RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h
  ${CMAKE_SOURCE_DIR}/res/*.h ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp ${CMAKE_SOURCE_DIR}/tests/fuzz/*.h)
set(gbk_files)
foreach(rel IN LISTS mirrored)
  set(out ${gbk_root}/${rel})
  get_filename_component(dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${ICONV} -f UTF-8 -t GBK -o ${out} ${CMAKE_SOURCE_DIR}/${rel}
    DEPENDS ${CMAKE_SOURCE_DIR}/${rel} VERBATIM)
  list(APPEND gbk_files ${out})
endforeach()
# Headers first, so that no object compiles before every header it may include is in place.
add_custom_target(kestor_gbk_sources DEPENDS ${gbk_files})

add_library(kestor_fuzz_options INTERFACE)
target_include_directories(kestor_fuzz_options INTERFACE ${gbk_root}/src ${gbk_root}/res)
target_compile_options(kestor_fuzz_options INTERFACE
  -Wall -Wno-invalid-source-encoding -O1 -g -fno-omit-frame-pointer
  -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined)
target_link_options(kestor_fuzz_options INTERFACE -fsanitize=address,undefined)

# The mirrored .cpp files of the given folders.
function(kestor_gbk_sources var)
  set(found)
  foreach(folder IN LISTS ARGN)
    foreach(rel IN LISTS mirrored)
      get_filename_component(dir ${rel} DIRECTORY)
      if(dir STREQUAL folder AND rel MATCHES "\\.cpp$")
        list(APPEND found ${gbk_root}/${rel})
      endif()
    endforeach()
  endforeach()
  set(${var} ${found} PARENT_SCOPE)
endfunction()

kestor_gbk_sources(core_sources
  src/platform src/platform/sim src/app src/controls src/scheduler src/usercontrol src/process src/player
  src/sysinfo)
add_library(kestor_fuzz_core STATIC ${core_sources})
add_dependencies(kestor_fuzz_core kestor_gbk_sources)
target_link_libraries(kestor_fuzz_core PUBLIC kestor_fuzz_options)
target_compile_definitions(kestor_fuzz_core PUBLIC KESTOR_RES_DIR="${CMAKE_SOURCE_DIR}/res")

# One libFuzzer executable per reader, all from the same source; scripts/fuzz.sh runs each from its seed
# corpus in tests/fuzz/corpus/<name>.
set(fuzz_targets TextFileFuzz ReminderFileFuzz UserLimitFileFuzz PlaylistFileFuzz)
foreach(name IN LISTS fuzz_targets)
  list(FIND fuzz_targets ${name} index)
  math(EXPR number "${index} + 1")
  add_executable(${name} ${gbk_root}/tests/fuzz/ListFileFuzz.cpp)
  add_dependencies(${name} kestor_gbk_sources)
  target_compile_definitions(${name} PRIVATE FUZZ_TARGET=${number})
  target_link_libraries(${name} PRIVATE kestor_fuzz_core)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
