#pragma once
// The component's playState numbers, as its hosts read them. The one part of the play state the rest of the
// program sees: the component publishes this header, and the engine behind it stays its own.

struct PlayStateNumbers {
    enum Number {
        Undefined = 0,
        Stopped = 1,
        Paused = 2,
        Playing = 3,
        ScanForward = 4,
        ScanReverse = 5,
        Buffering = 6,
        MediaEnded = 8,
        Transitioning = 9,
        Ready = 10,
    };
};
