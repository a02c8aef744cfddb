# Fails when FILE names an address reserved for examples or keeps an unreplaced @VARIABLE@.
file(READ ${FILE} content)
if(content MATCHES "[a-z0-9.-]*example\\.(org|com|net)|@[A-Z_]+@")
  message(FATAL_ERROR "${FILE} holds the placeholder \"${CMAKE_MATCH_0}\"")
endif()
