# Where the installation puts things, relative to the prefix. The programs live together in a
# folder of their own, with Help.html, OpenFile.htm and the system folder beside them, as they
# look for them; bin/ holds links to them. The build tree keeps the same shape under bin/.
include(GNUInstallDirs)

set(QUILLBROOK_INSTALL_PROGRAMDIR lib/quillbrook CACHE STRING
    "Folder of the programs, relative to the prefix; bin/ links to them")
set(QUILLBROOK_SYSTEM_FOLDER_FROM_PROGRAMS system)
