-- A pandoc filter that keeps the parts of the user's guide meant for one
-- platform, named by the metadata field "platform" (pandoc -M
-- platform=windows). doc/guide.md marks the others with HTML comments on
-- lines of their own, which a Markdown reader shows as nothing:
--
--   <!-- linux -->            <!-- windows -->
--   ... Linux only ...        ... Windows only ...
--   <!-- /linux -->           <!-- /windows -->
--
-- A mark and its end stand in the same list of blocks (both at the top, or
-- both in one list item); anything else is an error, as is a link to a
-- section that the kept text no longer has. The other comments go too.

local platforms = { linux = true, windows = true }
local platform

-- "linux", false for <!-- linux -->; "linux", true for <!-- /linux -->;
-- nil for any other block.
local function mark(block)
  if block.t ~= "RawBlock" or block.format ~= "html" then return nil end
  local closing, name = block.text:match("^<!%-%-%s*(/?)(%a+)%s*%-%->%s*$")
  if not platforms[name] then return nil end
  return name, closing == "/"
end

local function is_comment(block)
  return block.t == "RawBlock" and block.format == "html" and block.text:match("^<!%-%-") ~= nil
end

local function keep(blocks)
  local kept, open = pandoc.List(), nil
  for _, block in ipairs(blocks) do
    local name, closing = mark(block)
    if not name then
      if (not open or open == platform) and not is_comment(block) then kept:insert(block) end
    elseif closing then
      if name ~= open then error("<!-- /" .. name .. " --> ends no <!-- " .. name .. " -->") end
      open = nil
    else
      if open then error("<!-- " .. name .. " --> inside <!-- " .. open .. " -->") end
      open = name
    end
  end
  if open then error("<!-- " .. open .. " --> does not end in the same list") end
  return kept
end

local function check_links(doc)
  local ids, targets = {}, {}
  doc:walk({
    Header = function(h) ids[h.identifier] = true end,
    Link = function(l)
      local id = l.target:match("^#(.+)")
      if id then targets[#targets + 1] = id end
    end,
  })
  for _, id in ipairs(targets) do
    if not ids[id] then error("a link to #" .. id .. ", which the " .. platform .. " guide has not") end
  end
end

return {
  {
    Meta = function(meta)
      platform = pandoc.utils.stringify(meta.platform or "")
      if not platforms[platform] then error("-M platform=linux or -M platform=windows") end
    end,
  },
  { Blocks = keep },
  { Pandoc = check_links },
}
