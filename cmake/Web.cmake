# The browser playground (web/): the three programs built with Emscripten as
# modules whose main the page's worker calls once per fresh instance, the page
# bundled into <build>/site, and the browser test that drives it in Chromium.

# Each program is a factory (createPlimbo, createM4t4, createVexa) that makes a
# new instance; the worker writes the source into the in-memory file system,
# hands standard input and output over byte by byte and calls main with the
# program's usual arguments. There are no threads here, so the link sets the
# stack that deep nesting needs, and the heap grows as the program needs.
set(WEB_STACK_SIZE 32MB)
set(WEB_INITIAL_MEMORY 48MB)
set(WEB_COMMON_LINK_OPTIONS
  -fwasm-exceptions
  -sMODULARIZE=1
  -sINVOKE_RUN=0
  -sEXIT_RUNTIME=1
  -sFORCE_FILESYSTEM=1
  "-sEXPORTED_RUNTIME_METHODS=[\"callMain\",\"FS\"]"
  "-sEXPORTED_FUNCTIONS=[\"_main\",\"_fflush\"]"
  -sALLOW_MEMORY_GROWTH=1
  -sMAXIMUM_MEMORY=2GB
  -sTOTAL_STACK=${WEB_STACK_SIZE}
  -sINITIAL_MEMORY=${WEB_INITIAL_MEMORY}
  -sENVIRONMENT=worker,node)
foreach(program plimbo m4t4 vexa)
  if(TARGET ${program})
    string(SUBSTRING ${program} 0 1 first)
    string(TOUPPER ${first} first)
    string(SUBSTRING ${program} 1 -1 rest)
    target_link_options(${program} PRIVATE ${WEB_COMMON_LINK_OPTIONS} -sEXPORT_NAME=create${first}${rest})
    list(APPEND WEB_PROGRAMS ${program})
    # The stepping page's build of the program (createPlimboSteps, ...): the
    # same main linked with the event library (<program>_events, hooks.h),
    # whose steps_configure and steps_breakpoint the worker calls before main.
    add_executable(${program}_steps ${CMAKE_SOURCE_DIR}/${program}/main.cpp)
    target_link_libraries(${program}_steps PRIVATE ${program}_events)
    target_link_options(${program}_steps PRIVATE ${WEB_COMMON_LINK_OPTIONS}
      "-sEXPORTED_FUNCTIONS=[\"_main\",\"_fflush\",\"_steps_configure\",\"_steps_breakpoint\"]"
      -sEXPORT_NAME=create${first}${rest}Steps)
    list(APPEND WEB_PROGRAMS ${program}_steps)
  endif()
endforeach()

find_program(NODE node REQUIRED)
find_program(NPM npm REQUIRED)
set(WEB_DIR ${CMAKE_SOURCE_DIR}/web)
set(WEB_SITE ${CMAKE_BINARY_DIR}/site)

# npm packages come from package-lock.json (npm ci), only when they are missing.
add_custom_command(OUTPUT ${WEB_DIR}/node_modules/.package-lock.json
  COMMAND ${NPM} ci --no-audit --no-fund --loglevel=error
  DEPENDS ${WEB_DIR}/package-lock.json
  WORKING_DIRECTORY ${WEB_DIR}
  COMMENT "Installing the playground's npm packages (npm ci)")

# The page is rebuilt on every build: the examples menu is read from examples/.
add_custom_target(playground ALL
  COMMAND ${NODE} ${WEB_DIR}/build.mjs --programs ${CMAKE_BINARY_DIR} --out ${WEB_SITE}
          --examples ${CMAKE_SOURCE_DIR}/examples --docs ${CMAKE_SOURCE_DIR}/docs
  DEPENDS ${WEB_PROGRAMS} ${WEB_DIR}/node_modules/.package-lock.json
  WORKING_DIRECTORY ${WEB_DIR}
  COMMENT "Bundling the playground into ${WEB_SITE}")

# The browser test compares the page's runs with the native programs of the
# default build (build/), which must have been built first.
set(WEB_NATIVE_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "Native build whose programs the browser test compares with")
enable_testing()
add_test(NAME browser
  COMMAND ${NODE} ${WEB_DIR}/test/browser.mjs --site ${WEB_SITE} --native ${WEB_NATIVE_BUILD}
          --examples ${CMAKE_SOURCE_DIR}/examples --source ${CMAKE_SOURCE_DIR}
          --artifacts ${CMAKE_BINARY_DIR}/browser-artifacts)
set_tests_properties(browser PROPERTIES LABELS browser TIMEOUT 900)
