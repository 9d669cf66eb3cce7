// Message boxes of the GUI: the engine's show_message and the shell's notices. A box is
// always created on the UI thread; a message from the conversion worker is posted there.
#pragma once

class QString;
class QWidget;

// Installs the show_message hook with owner as the parent of its boxes.
void install_message_boxes(QWidget* owner);

// Removes the hook again (the window that owned the boxes is going away).
void remove_message_boxes();

struct FailureMessage;

// A warning box over owner with a failure's caption and text, on the UI thread.
void show_failure(QWidget* owner, const FailureMessage& message);

// An information box over owner, on the UI thread.
void show_notice(QWidget* owner, const QString& text);
