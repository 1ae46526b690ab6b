# Golden cases: every file <case>.<ext> below a cases folder is one CTest test.
# Beside it: <case>.out (exact expected standard output, required) and,
# optionally, <case>.in (standard input), <case>.args (one argument a line,
# @SRC@ stands for the source's file name), <case>.status (expected exit
# status, default 0) and <case>.setup (bash run in the case's folder before
# the program, to generate large inputs or change the folder) and
# <case>.stdin-closed (an empty file: the program runs with standard input closed)
# or <case>.stdin-folder (an empty file: standard input is a folder, which
# cannot be read).
# Adding a case is adding files: the glob is re-run on every build.
set(GOLDEN_RUNNER ${CMAKE_SOURCE_DIR}/tests/run_case.sh)

# add_golden_cases(<target> <cases dir> <source extension> [FIXED_NAME <name>])
# FIXED_NAME: the source is placed in the case folder under that name and the
# program gets no arguments by default (the vexa lister reads a fixed file).
function(add_golden_cases target dir ext)
  cmake_parse_arguments(ARG "" "FIXED_NAME" "" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.${ext})
  list(SORT sources)
  foreach(source ${sources})
    file(RELATIVE_PATH rel ${dir} ${source})
    string(REGEX REPLACE "\\.${ext}$" "" name ${rel})
    add_test(NAME ${target}/${name}
             COMMAND bash ${GOLDEN_RUNNER} $<TARGET_FILE:${target}> ${source} "${ARG_FIXED_NAME}")
    set_tests_properties(${target}/${name} PROPERTIES LABELS "golden;${target}")
  endforeach()
endfunction()
