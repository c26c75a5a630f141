// The window side of the document's Extract and publishing commands: the extract dialog, the PDF
// save dialog, the folder browser, a second instance of the program and the desktop's opener.
#pragma once

#include <afxwin.h>

// Sets PublishHooks() to the prompts below; ClearPublishPrompts takes them away again.
void InstallPublishPrompts();
void ClearPublishPrompts();

// One argument of a Windows command line: quoted, with quotes and the backslashes before them
// escaped, so that the command line splits back into exactly this text.
CString QuoteCommandLineArgument(const CString& arg);
