// The window side of the document's Extract and publishing commands: the extract dialog, the PDF
// save dialog, the folder browser, a second instance of the program and the desktop's opener.
#pragma once

#include <afxwin.h>

// Sets PublishHooks() to the prompts below; ClearPublishPrompts takes them away again.
void InstallPublishPrompts();
void ClearPublishPrompts();

// Starts `program` on `file` (command line "\"program\" \"file\"", no window, normal priority);
// the new process's id in *pid when given. False when it could not be started.
bool StartProgramOn(const CString& program, const CString& file, DWORD* pid = nullptr);

// One argument of a Windows command line: quoted, with quotes and the backslashes before them
// escaped, so that the command line splits back into exactly this text.
CString QuoteCommandLineArgument(const CString& arg);
