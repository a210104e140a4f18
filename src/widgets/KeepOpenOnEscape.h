#pragma once

class QDialog;

// Escape does not close `dialog`: only its close box and its own buttons do,
// so that a stray key never throws away a picture being prepared. Other keys
// reach the dialog as before.
void KeepOpenOnEscape(QDialog& dialog);
