@echo off
rem Deletes the thumbnail caches "Thumbs.db" on every fixed drive; Trellwipe starts this file
rem and waits for it to end. Where wmic cannot list the drives, the system drive is searched.
set found=
for /f "skip=1 tokens=1,2" %%a in ('wmic logicaldisk get deviceid^,drivetype 2^>nul') do if "%%b"=="3" call :clean %%a
if not defined found call :clean %SystemDrive%
goto :eof

:clean
set found=1
del /s /q /f /a "%1\Thumbs.db" >nul 2>&1
goto :eof
