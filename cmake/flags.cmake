# Warnings are errors everywhere. The patcher itself is built without exceptions and RTTI.
function(olvan_tool_flags target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

function(olvan_patcher_flags target)
    olvan_tool_flags(${target})
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
endfunction()

# The tests run under AddressSanitizer and UndefinedBehaviorSanitizer, which stop at the first
# fault.
set(OLVAN_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
