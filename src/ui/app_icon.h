// The program's icon, drawn at start-up: a few piano-roll bars over a waveform.
#pragma once

#include <QIcon>

QIcon tonagram_icon();
