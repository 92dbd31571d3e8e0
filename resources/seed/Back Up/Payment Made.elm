Hello *User_Name*,

Thank you for your payment of *Auction_Total* for *Auction_Name* (item number *Auction_Number*), which I received on *Payment_Date*.

Your item will be packed carefully and shipped soon to the following address:

*Address*

I will send you another email with the tracking number as soon as the item is on its way.

Best regards,

Your Seller
