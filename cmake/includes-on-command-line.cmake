# Loaded after CMake's platform rules (CMAKE_USER_MAKE_RULES_OVERRIDE_CXX).
# For Windows targets those hand the compiler its include paths in a response
# file, which clang-tidy does not read: it would look for every header
# without them.
set(CMAKE_CXX_USE_RESPONSE_FILE_FOR_INCLUDES 0)
