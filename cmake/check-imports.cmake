# Fails when a Windows program needs something Windows XP lacks, which would make XP refuse to load it:
# an imported function added in Vista or later, or a subsystem version above 5.2.
# Usage: cmake -DOBJDUMP=<objdump> -DEXE=<program> -P check-imports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the imports of ${EXE}")
endif()

# Families of functions that first shipped with Vista or later, as listed in the import table
# ("<hint> <name>" lines).
set(newer
  GetTickCount64 "[A-Za-z]*ConditionVariable[A-Za-z]*" "[A-Za-z]*SRWLock[A-Za-z]*" "InitOnce[A-Za-z]*"
  "Fls(Alloc|Free|GetValue|SetValue)" "(Compare|LCMap)StringEx" "GetLocaleInfoEx" "[A-Za-z]*LocaleName[A-Za-z]*"
  "InitializeCriticalSectionEx" "Create(Event|Mutex|Semaphore|WaitableTimer)Ex[AW]"
  "CreateSymbolicLink[AW]" "GetFinalPathNameByHandle[AW]" "QueryFullProcessImageName[AW]"
  "GetFileInformationByHandleEx" "SetFileInformationByHandle" "CancelIoEx" "GetErrorMode"
  "RegGetValue[AW]" "RegSetKeyValue[AW]" "RegDeleteKeyEx[AW]" "RegDeleteTree[AW]" "SHGetKnownFolderPath"
  "TaskDialog[A-Za-z]*" "ChangeWindowMessageFilter[A-Za-z]*" "SetProcessDPIAware" "Dwm[A-Za-z]+"
  "GetThreadId" "Wow64[A-Za-z]*")
list(JOIN newer "|" alternatives)
string(REPLACE "\n" ";" lines "${dump}")
set(found)
foreach(line IN LISTS lines)
  if(line MATCHES "^[\t ]+[0-9a-f]+[\t ]+[0-9]+[\t ]+(${alternatives})$")
    list(APPEND found ${CMAKE_MATCH_1})
  endif()
endforeach()
if(found)
  list(REMOVE_DUPLICATES found)
  message(FATAL_ERROR "${EXE} imports functions Windows XP does not have: ${found}")
endif()

string(REGEX MATCH "MajorSubsystemVersion[\t ]+([0-9]+)" _ "${dump}")
set(major ${CMAKE_MATCH_1})
string(REGEX MATCH "MinorSubsystemVersion[\t ]+([0-9]+)" _ "${dump}")
if(major GREATER 5 OR (major EQUAL 5 AND CMAKE_MATCH_1 GREATER 2))
  message(FATAL_ERROR "${EXE} asks for subsystem ${major}.${CMAKE_MATCH_1}; Windows XP loads up to 5.2")
endif()
