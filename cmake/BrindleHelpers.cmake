# Warnings for the project's own code only.
function(brindle_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# A library of one layer or area. Sources are given by the caller.
#   brindle_library(NAME brindle_common SOURCES a.cpp b.cpp LIBS Qt6::Core)
function(brindle_library)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_library(${ARG_NAME} STATIC ${ARG_SOURCES})
    target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${ARG_NAME} PUBLIC ${ARG_LIBS})
    brindle_warnings(${ARG_NAME})
endfunction()

# A GoogleTest executable registered with CTest.
#   brindle_test(NAME registry_test LABEL unit SOURCES t.cpp LIBS brindle_registry TIMEOUT 60 [GUI])
# GUI gives the test a QApplication main (widgets, browser); otherwise QCoreApplication.
# Every test runs with a throw-away HOME and XDG folders (see tests/support/test_env).
function(brindle_test)
    cmake_parse_arguments(ARG "GUI" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    set(support brindle_testsupport)
    if(ARG_GUI)
        set(support brindle_testsupport_gui)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${support} ${ARG_LIBS} GTest::gtest GTest::gmock)
    brindle_warnings(${ARG_NAME})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES
        LABELS ${ARG_LABEL}
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --disable-background-networking --disable-component-update;BRINDLE_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()

# Adds every immediate sub-folder of the current folder that has a CMakeLists.txt,
# so each area keeps its build description to itself.
function(brindle_add_subfolders)
    file(GLOB children CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()
