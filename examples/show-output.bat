@echo off
rem Runs a command and shows each line of its output in the Dravik viewer, e.g.
rem     show-output.bat dir /b
rem dravik-send (on the PATH or in the current folder) exits 2 when no viewer runs: say so and stop.
dravik-send -- Running: %*
if errorlevel 2 (
    echo No Dravik viewer is running.
    exit /b 2
)
if errorlevel 1 exit /b %errorlevel%
%* 2>&1 | dravik-send -
