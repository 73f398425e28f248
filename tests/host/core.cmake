brivane_host_test(NAME core_host_test
  SOURCES core_test.cpp tray_message_test.cpp desktop_entries_test.cpp
  LIBS toolkit_core traymessage desktop_entries)
