/* The version of lumo.exe and vornix.exe: one number for both resource
   scripts and the installer (package.sh reads LUMO_VERSION_TEXT), and the
   version block both exes carry. */
#ifndef LUMO_VERSION_H
#define LUMO_VERSION_H

#define LUMO_VERSION_NUMBERS 1, 0, 0, 0
#define LUMO_VERSION_TEXT "1.0.0.0"
#define LUMO_PUBLISHER "VORNIX-Lumo"

#define LUMO_VERSION_BLOCK(DESCRIPTION, NAME, FILE_NAME) \
VS_VERSION_INFO VERSIONINFO \
FILEVERSION LUMO_VERSION_NUMBERS \
PRODUCTVERSION LUMO_VERSION_NUMBERS \
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK \
FILEFLAGS 0 \
FILEOS VOS_NT_WINDOWS32 \
FILETYPE VFT_APP \
FILESUBTYPE VFT2_UNKNOWN \
BEGIN \
    BLOCK "StringFileInfo" \
    BEGIN \
        BLOCK "040904E4" \
        BEGIN \
            VALUE "CompanyName", LUMO_PUBLISHER \
            VALUE "FileDescription", DESCRIPTION \
            VALUE "FileVersion", LUMO_VERSION_TEXT \
            VALUE "InternalName", NAME \
            VALUE "OriginalFilename", FILE_NAME \
            VALUE "ProductName", "VORNIX-Lumo" \
            VALUE "ProductVersion", LUMO_VERSION_TEXT \
        END \
    END \
    BLOCK "VarFileInfo" \
    BEGIN \
        VALUE "Translation", 0x0409, 1252 \
    END \
END

#endif
