-- Loaded into the reference mpv with --script: prints the frames it dropped when it quits: the video
-- output's counter (frame-drop-count, formerly vo-drop-frame-count) and the decoder's, both kept from while
-- the file plays, since they are gone once it has ended.
local last = {}
for _, name in ipairs({"frame-drop-count", "decoder-frame-drop-count"}) do
    mp.observe_property(name, "number", function(_, value)
        if value then last[name] = value end
    end)
end
mp.register_event("shutdown", function()
    for name, value in pairs(last) do
        io.stdout:write(name:gsub("-", "_") .. " " .. value .. "\n")
    end
    io.stdout:flush()
end)
