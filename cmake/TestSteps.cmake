# The test command's steps as ctest tests. Each carries the label of the locale
# it belongs to (cp<code page>): scripts/test.sh makes one ctest call per such
# label, in the order they first appear, and the steps of one call run side by
# side. Each is also a row of steps.txt for the one reader of the results,
# scripts/test-results.py, which says how each kind (gtest, junit, check, lint,
# wine) is counted. Tests that write a report write it to results/TEST.xml.
set(QF_STEPS ${CMAKE_BINARY_DIR}/steps.txt)
set(QF_RESULTS ${CMAKE_BINARY_DIR}/results)
file(WRITE ${QF_STEPS} "")

# A row of the table: the test, its label, its step, its kind, the step's log
# (from the source folder) and the step's title. The lints, then the unit
# steps, start first, whatever ctest measured: they take seconds, and their
# lines come first; ctest starts the rest longest first.
function(qf_row test label step kind log title)
  file(APPEND ${QF_STEPS} "${test}\t${label}\t${step}\t${kind}\t${log}\t${title}\n")
  set_property(TEST ${test} APPEND PROPERTY LABELS ${label})
  set(cost_lint 1000)
  set(cost_wine 900)
  set(cost_gtest 800)
  if(DEFINED cost_${kind})
    set_tests_properties(${test} PROPERTIES COST ${cost_${kind}})
  endif()
endfunction()

# The environment of a test in a locale: the locale itself, for its own
# processes and (QF_LANG) the Wine that scripts/wine_env.py sets up for it.
function(qf_locale_env test lang)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT LANG=${lang} LC_ALL=${lang}
    QF_LANG=${lang})
endfunction()

# A step of one test run from the source folder:
#   qf_step(TEST LABEL KIND LOG TITLE [TIMEOUT S] COMMAND ...)
function(qf_step test label kind log title)
  cmake_parse_arguments(S "" "TIMEOUT" "COMMAND" ${ARGN})
  add_test(NAME ${test} COMMAND ${S_COMMAND} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  if(S_TIMEOUT)
    set_tests_properties(${test} PROPERTIES TIMEOUT ${S_TIMEOUT})
  endif()
  qf_row(${test} ${label} ${test} ${kind} ${log} "${title}")
endfunction()

# A check of the sources that prints one line: qf_lint(NAME LABEL COMMAND...)
function(qf_lint name label)
  qf_step(${name} ${label} lint build/${name}.log ${name} COMMAND ${ARGN})
endfunction()

# End-to-end tests (tests/e2e/run.py) as one step, each test file a test with
# a Wine of its own, so the files run side by side; or with FILTERs one test
# of the tests whose names hold one of them:
#   qf_e2e(STEP LABEL LANG TITLE LOG [FILTER...])
function(qf_e2e step label lang title log)
  if(ARGN)
    set(parts ${step})
  else()
    file(GLOB files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/test_*.py)
    set(parts)
    foreach(file ${files})
      get_filename_component(stem ${file} NAME_WE)
      string(REGEX REPLACE "^test_" "${step}_" part ${stem})
      list(APPEND parts ${part})
      set(filters_${part} ${stem}.)
    endforeach()
  endif()
  foreach(part ${parts})
    set(filters ${ARGN} ${filters_${part}})
    add_test(NAME ${part} COMMAND python3 tests/e2e/run.py --junit ${QF_RESULTS}/${part}.xml
      ${filters} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(${part} PROPERTIES TIMEOUT 3600)
    qf_locale_env(${part} ${lang})
    set_property(TEST ${part} APPEND PROPERTY ENVIRONMENT QF_BUILD=${CMAKE_BINARY_DIR}
      QF_WINE_RUN=${CMAKE_BINARY_DIR}/wine/${part})
    qf_row(${part} ${label} ${step} junit ${log} "${title}")
  endforeach()
endfunction()

# The unit programs (QF_UNIT_PROGRAMS, or those named) once, each as TEST =
# program + SUFFIX, in one Wine prefix set up for them (a fixture), under a
# locale:
#   qf_unit_run(STEP SUFFIX LABEL LANG TITLE LOG [HEAP_CHECK] [PROGRAMS exe...])
# HEAP_CHECK: the heaps check their blocks, and any message of Wine's heap
# fails a program.
function(qf_unit_run step suffix label lang title log)
  cmake_parse_arguments(U "HEAP_CHECK" "" "PROGRAMS" ${ARGN})
  if(NOT U_PROGRAMS)
    set(U_PROGRAMS ${QF_UNIT_PROGRAMS})
  endif()
  set(dir ${CMAKE_BINARY_DIR}/wine/${step})
  set(up python3 ${PROJECT_SOURCE_DIR}/scripts/wine_env.py up ${dir})
  if(U_HEAP_CHECK)
    list(APPEND up --heap-check)
  endif()
  add_test(NAME wine_${step}_up COMMAND ${up})
  add_test(NAME wine_${step}_down COMMAND python3 ${PROJECT_SOURCE_DIR}/scripts/wine_env.py down
    ${dir})
  set_tests_properties(wine_${step}_up PROPERTIES FIXTURES_SETUP wine_${step} TIMEOUT 600)
  set_tests_properties(wine_${step}_down PROPERTIES FIXTURES_CLEANUP wine_${step} TIMEOUT 300)
  foreach(updown up down)
    qf_locale_env(wine_${step}_${updown} ${lang})
    qf_row(wine_${step}_${updown} ${label} ${step} wine ${log} "${title}")
  endforeach()
  set_property(GLOBAL PROPERTY QF_UNIT_${step} ${label} ${lang} ${log} ${title})
  foreach(exe ${U_PROGRAMS})
    qf_unit_test(${exe}${suffix} ${step} COMMAND ${exe})
    if(U_HEAP_CHECK)
      set_tests_properties(${exe}${suffix} PROPERTIES TIMEOUT 600
        FAIL_REGULAR_EXPRESSION "err:heap|warn:heap")
      set_property(TEST ${exe}${suffix} APPEND PROPERTY ENVIRONMENT WINEDEBUG=warn+heap)
    endif()
  endforeach()
endfunction()

# One run of a unit program in the Wine of a unit step (qf_unit_run), with
# its own report; ENV adds to the test's environment, after the locale's:
#   qf_unit_test(TEST STEP COMMAND exe args... [ENV var=value...])
function(qf_unit_test test step)
  cmake_parse_arguments(U "" "" "COMMAND;ENV" ${ARGN})
  get_property(facts GLOBAL PROPERTY QF_UNIT_${step})
  list(POP_FRONT facts label lang log title)
  list(GET U_COMMAND 0 exe)
  # Z: is Wine's drive of the Linux root.
  add_test(NAME ${test} COMMAND ${U_COMMAND} --gtest_brief=1
    --gtest_output=xml:Z:${QF_RESULTS}/${test}.xml)
  # One program's runs in one prefix share its keys and the clipboard.
  set_tests_properties(${test} PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine_${step}
    RESOURCE_LOCK ${step}_${exe})
  qf_locale_env(${test} ${lang})
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
    QF_WINE_RUN=${CMAKE_BINARY_DIR}/wine/${step} ${U_ENV})
  qf_row(${test} ${label} ${step} gtest ${log} "${title}")
endfunction()
