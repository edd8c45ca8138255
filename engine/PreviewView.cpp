#include "engine/PreviewView.h"

PreviewView mainView;
