# Warnings are errors for the project's own code; third-party headers come in as system headers.
function(reelkeeper_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror -Wno-error=deprecated-declarations)
endfunction()
