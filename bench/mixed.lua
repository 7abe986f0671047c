-- wrk: a mixed load: prices and stock by a random existing code, one item list in 50, and
-- one inventory count in 4; counts the counts the server confirmed ("Qty Entry ... Done").
local codes = {}
for line in io.lines(os.getenv("CODES")) do codes[#codes + 1] = line end
math.randomseed(os.time() + math.floor(os.clock() * 1000000))
local threads = {}
local turn = 0
confirmed = 0
failed = 0

function setup(thread)
  thread:set("id", #threads + 1)
  threads[#threads + 1] = thread
end

request = function()
  turn = turn + 1
  local code = codes[math.random(#codes)]
  if turn % 4 == 0 then
    return wrk.format("GET", "/inventory?deviceid=SOAK" .. id .. "&barcode=" .. code .. "&qty=1&note=" .. turn)
  elseif turn % 50 == 1 then
    return wrk.format("GET", "/product?wh=001")
  elseif turn % 2 == 0 then
    return wrk.format("GET", "/whqty?code=" .. code)
  end
  return wrk.format("GET", "/price?code=" .. code .. "&wh=all")
end

response = function(status, headers, body)
  if body:find("^Qty Entry") then
    confirmed = confirmed + 1
  elseif status ~= 200 or body == "" or body == "Some Error !!" then
    failed = failed + 1
  end
end

done = function()
  local total, bad = 0, 0
  for _, thread in ipairs(threads) do
    total = total + thread:get("confirmed")
    bad = bad + thread:get("failed")
  end
  io.write(string.format("confirmed %d failed %d\n", total, bad))
end
